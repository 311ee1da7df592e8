#pragma once
// What a method of an automation interface does around its work: it holds
// a reference to its object for the call, starts with no error information
// left over from earlier calls, and lets no C++ exception out. Helpers here
// turn automation arguments into the C++ types of the implementations and
// results back.

#include <new>
#include <string>
#include <string_view>

#include "include/tallyvex/ole_types.h"
#include "platform/automation/bstr.h"

namespace tlvx::platform::automation {

class MethodCall {
public:
    explicit MethodCall(IUnknown* object) noexcept : object_(object) {
        object_->AddRef();
        // Error information after this call belongs to this call.
        SetErrorInfo(0, nullptr);
    }
    ~MethodCall() { object_->Release(); }
    MethodCall(const MethodCall&) = delete;
    MethodCall& operator=(const MethodCall&) = delete;

private:
    IUnknown* object_;
};

// Runs a method body that returns an HRESULT. The only exception our own
// code raises is a failed allocation.
template <class Body>
HRESULT hresultOf(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// The text of a String argument; a null BSTR is the empty string.
inline std::u16string text(BSTR value) {
    return std::u16string(bstrView(value));
}

// Results. Every result is a real string, never a null BSTR.
inline HRESULT putText(BSTR* out, std::u16string_view value) noexcept {
    *out = allocBstr(value);
    return *out ? S_OK : E_OUTOFMEMORY;
}
inline VARIANT_BOOL boolean(bool value) noexcept {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace tlvx::platform::automation
