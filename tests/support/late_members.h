#pragma once
// Reading and writing members of an object by name through IDispatch only,
// as a script client does: for tests of objects offered by name.

#include <string>
#include <vector>

#include "include/tallyvex/ole_types.h"
#include "tests/support/automation_values.h"

namespace tlvx::test {

// A property read: `name` looked up, then invoked as a property get (and
// method, as Basic asks) with `args` in call order; the arguments are
// cleared afterwards. The result goes to `result`.
inline HRESULT getMember(IDispatch* object, const char16_t* name, VARIANT& result,
                         std::vector<VARIANT> args = {}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr)) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                            DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, &result, nullptr,
                            nullptr);
    }
    for (VARIANT& v : args) VariantClear(&v);
    return hr;
}

// A property write; the value is cleared afterwards.
inline HRESULT putMember(IDispatch* object, const char16_t* name, VARIANT value) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr)) {
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params = {&value, &putId, 1, 1};
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                            nullptr, nullptr, nullptr);
    }
    VariantClear(&value);
    return hr;
}

// A member's value as text or number; empty / -99999 when it cannot be read.
inline std::u16string textMember(IDispatch* object, const char16_t* name,
                                 std::vector<VARIANT> args = {}) {
    Var result;
    if (FAILED(getMember(object, name, result.v, std::move(args)))) return {};
    Var text;
    if (FAILED(VariantChangeType(&text.v, &result.v, 0, VT_BSTR))) return {};
    return std::u16string(text.v.bstrVal, SysStringLen(text.v.bstrVal));
}
inline LONG numberMember(IDispatch* object, const char16_t* name, std::vector<VARIANT> args = {}) {
    Var result;
    if (FAILED(getMember(object, name, result.v, std::move(args)))) return -99999;
    Var number;
    if (FAILED(VariantChangeType(&number.v, &result.v, 0, VT_I4))) return -99999;
    return number.v.lVal;
}

// An object member, with one reference for the caller; null when there is
// none.
inline IDispatch* objectMember(IDispatch* object, const char16_t* name,
                               std::vector<VARIANT> args = {}) {
    Var result;
    if (FAILED(getMember(object, name, result.v, std::move(args))) || result.v.vt != VT_DISPATCH)
        return nullptr;
    IDispatch* found = result.v.pdispVal;
    result.v.vt = VT_EMPTY;
    return found;
}

}  // namespace tlvx::test
