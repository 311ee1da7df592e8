#include "library/gen_funs_object.h"

namespace tlvx::library {

using frame::byRef;
using frame::byVal;
using frame::method;
using frame::notImplemented;
using frame::optVal;

namespace {

using I = _GenFuns;

constexpr frame::Method kMethods[] = {
    method<&I::GetCharsetList>(u"GetCharsetList", 0, VT_BSTR),
    method<&I::LongToHTMLColor>(u"LongToHTMLColor", 1, VT_BSTR, {byVal(u"Color", VT_I4)}),
    method<&I::SetMenuCaption>(u"SetMenuCaption", 2, VT_EMPTY,
                               {byRef(u"Target", VT_DISPATCH), optVal(u"MenusFile", VT_BSTR)}),
    method<&I::SetTip>(u"SetTip", 3, VT_EMPTY,
                       {byRef(u"Target", VT_DISPATCH), optVal(u"TipsFile", VT_BSTR)}),
    method<&I::InVar>(u"InVar", 4, VT_BOOL,
                      {byVal(u"Target", VT_VARIANT), byRef(u"VarList", VT_ARRAY | VT_VARIANT)}),
    method<&I::AdjListColWid>(u"AdjListColWid", 5, VT_EMPTY, {byRef(u"Target", VT_DISPATCH)}),
    method<&I::GetFilesQty>(u"GetFilesQty", 6, VT_I4, {byVal(u"Path", VT_BSTR)}),
    method<&I::CheckShortcut>(u"CheckShortcut", 7, VT_BOOL, {byVal(u"Shortcut", VT_BSTR)}),
    method<&I::GetSysTempPath>(u"GetSysTempPath", 8, VT_BSTR),
    method<&I::GetEnglishWeekday>(u"GetEnglishWeekday", 9, VT_BSTR, {byVal(u"WeekSN", VT_I2)}),
    method<&I::GetEnglishShortMonth>(u"GetEnglishShortMonth", 10, VT_BSTR,
                                     {byVal(u"MonthSN", VT_I2)}),
};
static_assert(frame::wellFormed(kMethods));

}  // namespace

constinit const frame::DispatchTable GenFunsObject::dispatchTable = kMethods;

HRESULT GenFunsObject::GetCharsetList(BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT GenFunsObject::LongToHTMLColor(LONG, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT GenFunsObject::SetMenuCaption(IDispatch**, BSTR) noexcept {
    const auto call = enterCall();
    return notImplemented();
}

HRESULT GenFunsObject::SetTip(IDispatch**, BSTR) noexcept {
    const auto call = enterCall();
    return notImplemented();
}

HRESULT GenFunsObject::InVar(VARIANT, SAFEARRAY**, VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT GenFunsObject::AdjListColWid(IDispatch**) noexcept {
    const auto call = enterCall();
    return notImplemented();
}

HRESULT GenFunsObject::GetFilesQty(BSTR, LONG* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT GenFunsObject::CheckShortcut(BSTR, VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT GenFunsObject::GetSysTempPath(BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT GenFunsObject::GetEnglishWeekday(SHORT, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT GenFunsObject::GetEnglishShortMonth(SHORT, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

}  // namespace tlvx::library
