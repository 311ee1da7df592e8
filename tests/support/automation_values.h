#pragma once
// Strings and variants a test owns, and variants made from plain values,
// for tests that call the automation runtime or the component's interfaces.

#include <string>
#include <string_view>

#include "include/tallyvex/ole_types.h"
#include "platform/automation/bstr.h"

namespace tlvx::test {

// A string the test owns.
using Bstr = platform::automation::OwnedBstr;

// A variant the test owns.
struct Var {
    Var() { VariantInit(&v); }
    ~Var() { VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    VARIANT v;
};

// Variants of plain values; a text variant owns a new string.
inline VARIANT str(std::u16string_view s) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return v;
}
inline VARIANT i4(LONG n) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}
inline VARIANT i2(SHORT n) {
    VARIANT v;
    v.vt = VT_I2;
    v.iVal = n;
    return v;
}
inline VARIANT r8(double d) {
    VARIANT v;
    v.vt = VT_R8;
    v.dblVal = d;
    return v;
}
inline VARIANT boolean(bool b) {
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
// The mark of an omitted argument.
inline VARIANT missing() {
    VARIANT v;
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}
inline VARIANT ref(VARTYPE type, void* storage) {
    VARIANT v;
    v.vt = VT_BYREF | type;
    v.byref = storage;
    return v;
}

}  // namespace tlvx::test
