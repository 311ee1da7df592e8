#pragma once
// Which variant types this runtime handles, shared by the variant, coercion
// and array units so that they agree.

#include "include/tallyvex/ole_types.h"

namespace tlvx::platform::automation {

// A base type a VARIANT can hold directly (VT_VARIANT only by reference;
// VT_RECORD is not supported).
constexpr bool isScalarType(VARTYPE base) {
    return base <= VT_UINT && base != VT_VARIANT && base != 15;
}

// A full variant type: a base type, optionally with VT_ARRAY (not of EMPTY
// or NULL) and/or VT_BYREF (VT_BYREF|VT_VARIANT included).
constexpr bool isValidVariantType(VARTYPE vt) {
    if (vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) return false;
    const VARTYPE base = vt & VT_TYPEMASK;
    if (vt & (VT_ARRAY | VT_BYREF)) {
        return base != VT_EMPTY && base != VT_NULL && (isScalarType(base) || base == VT_VARIANT);
    }
    return isScalarType(base);
}

// An integer type, signed or unsigned, of any width (not Boolean).
constexpr bool isIntegerType(VARTYPE base) {
    switch (base) {
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_INT:
        case VT_I8:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UINT:
        case VT_UI8:
            return true;
        default:
            return false;
    }
}

// The size of one array element of the base type; 0 when arrays of it are
// not supported.
constexpr ULONG arrayElementSize(VARTYPE base) {
    switch (base) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_R4:
        case VT_ERROR:
            return 4;
        case VT_I8:
        case VT_UI8:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_BSTR:
        case VT_UNKNOWN:
        case VT_DISPATCH:
            return 8;
        case VT_DECIMAL:
            return 16;
        case VT_VARIANT:
            return sizeof(VARIANT);
        default:
            return 0;
    }
}

// The value a variant stands for, as a variant that does not own it: the
// variant itself, or for VT_BYREF the value the reference names. E_INVALIDARG
// for a null reference or a referenced variant that is itself a reference.
HRESULT referencedValue(const VARIANT& source, VARIANT& value) noexcept;

}  // namespace tlvx::platform::automation
