#include "library/gen_funs/gen_funs_object.h"

#include "library/frame/class_face.h"

namespace tlvx::library {

using namespace frame::face;

namespace {

using I = _GenFuns;

constexpr Method kMethods[] = {
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
static_assert(wellFormed(kMethods));

}  // namespace

constinit const DispatchTable GenFunsObject::dispatchTable = kMethods;

HRESULT GenFunsObject::GetCharsetList(BSTR* result) noexcept {
    return answer(result, [&] { return funs_.GetCharsetList(); });
}

HRESULT GenFunsObject::LongToHTMLColor(LONG Color, BSTR* result) noexcept {
    return answer(result, [&] { return funs_.LongToHTMLColor(Color); });
}

HRESULT GenFunsObject::SetMenuCaption(IDispatch** Target, BSTR MenusFile) noexcept {
    return perform(given(Target), [&] { funs_.SetMenuCaption(*Target, text(MenusFile)); });
}

HRESULT GenFunsObject::SetTip(IDispatch** Target, BSTR TipsFile) noexcept {
    return perform(given(Target), [&] { funs_.SetTip(*Target, text(TipsFile)); });
}

HRESULT GenFunsObject::InVar(VARIANT Target, SAFEARRAY** VarList, VARIANT_BOOL* result) noexcept {
    return answer(result, given(VarList), [&] { return funs_.InVar(Target, *VarList); });
}

HRESULT GenFunsObject::AdjListColWid(IDispatch** Target) noexcept {
    return perform(given(Target), [&] { funs_.AdjListColWid(*Target); });
}

HRESULT GenFunsObject::GetFilesQty(BSTR Path, LONG* result) noexcept {
    return answer(result, [&] { return funs_.GetFilesQty(text(Path)); });
}

HRESULT GenFunsObject::CheckShortcut(BSTR Shortcut, VARIANT_BOOL* result) noexcept {
    return answer(result, [&] { return funs_.CheckShortcut(text(Shortcut)); });
}

HRESULT GenFunsObject::GetSysTempPath(BSTR* result) noexcept {
    return answer(result, [&] { return funs_.GetSysTempPath(); });
}

HRESULT GenFunsObject::GetEnglishWeekday(SHORT WeekSN, BSTR* result) noexcept {
    return answer(result, [&] { return funs_.GetEnglishWeekday(WeekSN); });
}

HRESULT GenFunsObject::GetEnglishShortMonth(SHORT MonthSN, BSTR* result) noexcept {
    return answer(result, [&] { return funs_.GetEnglishShortMonth(MonthSN); });
}

}  // namespace tlvx::library
