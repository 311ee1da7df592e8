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
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = nullptr;
    return hresultOf([&] { return putText(result, funs_.GetCharsetList()); });
}

HRESULT GenFunsObject::LongToHTMLColor(LONG Color, BSTR* result) noexcept {
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = nullptr;
    return hresultOf([&] { return putText(result, funs_.LongToHTMLColor(Color)); });
}

HRESULT GenFunsObject::SetMenuCaption(IDispatch** Target, BSTR MenusFile) noexcept {
    const auto call = enterCall();
    if (!Target) return E_POINTER;
    return hresultOf([&] {
        funs_.SetMenuCaption(*Target, text(MenusFile));
        return S_OK;
    });
}

HRESULT GenFunsObject::SetTip(IDispatch** Target, BSTR TipsFile) noexcept {
    const auto call = enterCall();
    if (!Target) return E_POINTER;
    return hresultOf([&] {
        funs_.SetTip(*Target, text(TipsFile));
        return S_OK;
    });
}

HRESULT GenFunsObject::InVar(VARIANT Target, SAFEARRAY** VarList, VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    if (!VarList) return E_POINTER;
    *result = boolean(funs_.InVar(Target, *VarList));
    return S_OK;
}

HRESULT GenFunsObject::AdjListColWid(IDispatch** Target) noexcept {
    const auto call = enterCall();
    if (!Target) return E_POINTER;
    funs_.AdjListColWid(*Target);
    return S_OK;
}

HRESULT GenFunsObject::GetFilesQty(BSTR Path, LONG* result) noexcept {
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = 0;
    return hresultOf([&] {
        *result = funs_.GetFilesQty(text(Path));
        return S_OK;
    });
}

HRESULT GenFunsObject::CheckShortcut(BSTR Shortcut, VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return hresultOf([&] {
        *result = boolean(funs_.CheckShortcut(text(Shortcut)));
        return S_OK;
    });
}

HRESULT GenFunsObject::GetSysTempPath(BSTR* result) noexcept {
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = nullptr;
    return hresultOf([&] { return putText(result, funs_.GetSysTempPath()); });
}

HRESULT GenFunsObject::GetEnglishWeekday(SHORT WeekSN, BSTR* result) noexcept {
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = nullptr;
    return hresultOf([&] { return putText(result, funs_.GetEnglishWeekday(WeekSN)); });
}

HRESULT GenFunsObject::GetEnglishShortMonth(SHORT MonthSN, BSTR* result) noexcept {
    const auto call = enterCall();
    if (!result) return E_POINTER;
    *result = nullptr;
    return hresultOf([&] { return putText(result, funs_.GetEnglishShortMonth(MonthSN)); });
}

}  // namespace tlvx::library
