#pragma once
// Calls on an object by member name, as a script client makes them, for
// tests of the component's classes.

#include <cstring>
#include <vector>

#include "include/tallyvex/ole_types.h"

namespace tlvx::test {

// EXCEPINFO whose strings are freed with it.
struct ExceptionInfo {
    ExceptionInfo() { std::memset(&e, 0, sizeof e); }
    ~ExceptionInfo() {
        SysFreeString(e.bstrSource);
        SysFreeString(e.bstrDescription);
        SysFreeString(e.bstrHelpFile);
    }
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    EXCEPINFO e;
};

// Looks `name` up and invokes it as a method with `args` in call order; the
// arguments are cleared afterwards.
inline HRESULT callByName(IDispatch* object, const char16_t* name, std::vector<VARIANT> args,
                          VARIANT* result = nullptr, EXCEPINFO* exception = nullptr) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr)) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                            exception, nullptr);
    }
    for (VARIANT& v : args) VariantClear(&v);
    return hr;
}

}  // namespace tlvx::test
