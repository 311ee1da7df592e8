// Variant coercion. The source (a reference is followed first) is read as
// a number, a text or an object, and the number or text is written as the
// target type:
//  - to an integer type, a fraction rounds half to even; a value outside
//    the type's range is DISP_E_OVERFLOW (True is -1, which an unsigned
//    type holds as all ones, as Basic's CByte(True) = 255);
//  - text is read by parseNumber (" 12 " is 12, "abc" DISP_E_TYPEMISMATCH)
//    and a Boolean also from "True"/"False";
//  - a Boolean becomes the text "-1"/"0", or "True"/"False" with
//    VARIANT_ALPHABOOL or VARIANT_LOCALBOOL;
//  - an object gives the value of its default property (DISPID_VALUE)
//    unless VARIANT_NOVALUEPROP is set;
//  - Empty reads as 0, "" and False; Null converts only to Null; every
//    other value but an error code may become Empty or Null; an error code
//    converts only to and from VT_I4/VT_INT.
// Not provided: dates as text and decimals (DISP_E_TYPEMISMATCH), arrays
// of another element type (DISP_E_TYPEMISMATCH).

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/automation/bstr.h"
#include "platform/automation/coercion.h"
#include "platform/automation/number_text.h"
#include "platform/automation/variant_types.h"

using namespace tlvx::platform::automation;

namespace {

// Objects whose default property yields another object are followed this
// many times at most.
constexpr int kMaxValueDepth = 8;

// The date range of the automation runtime: years 100 to 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0;

// The number a scalar source stands for; `isBoolean` tells that it came
// from a Boolean (which unsigned targets take as all ones).
HRESULT numberOf(const VARIANT& v, Number& n, bool& isBoolean) {
    isBoolean = v.vt == VT_BOOL;
    if (v.vt == VT_BSTR) {
        const auto parsed = parseNumber(bstrView(v.bstrVal));
        if (!parsed) return DISP_E_TYPEMISMATCH;
        n = *parsed;
        return S_OK;
    }
    const auto value = numericValue(v);
    if (!value) return DISP_E_TYPEMISMATCH;
    switch (value->kind) {
        case NumericValue::Kind::Signed:
            n = Number::fromSigned(value->signedValue);
            break;
        case NumericValue::Kind::Unsigned:
            n = Number::fromUnsigned(value->unsignedValue);
            break;
        case NumericValue::Kind::Currency:
            n = Number::fromReal(static_cast<double>(value->signedValue) / 10000.0);
            break;
        case NumericValue::Kind::Real:
            n = Number::fromReal(value->realValue);
            break;
    }
    return S_OK;
}

// The value in [lo, hi], rounding a fraction; nullopt when outside.
std::optional<int64_t> toSigned(const Number& n, int64_t lo, int64_t hi) {
    int64_t value;
    switch (n.kind) {
        case Number::Kind::Signed:
            value = n.signedValue;
            break;
        case Number::Kind::Unsigned:
            return std::nullopt;  // above every signed range
        case Number::Kind::Real: {
            const double rounded = roundHalfEven(n.realValue);
            // The bounds are powers of two, exact as doubles; NaN fails both.
            if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) {
                return std::nullopt;
            }
            value = static_cast<int64_t>(rounded);
            break;
        }
        default:
            return std::nullopt;
    }
    if (value < lo || value > hi) return std::nullopt;
    return value;
}

std::optional<uint64_t> toUnsigned(const Number& n, uint64_t hi) {
    uint64_t value;
    switch (n.kind) {
        case Number::Kind::Signed:
            if (n.signedValue < 0) return std::nullopt;
            value = static_cast<uint64_t>(n.signedValue);
            break;
        case Number::Kind::Unsigned:
            value = n.unsignedValue;
            break;
        case Number::Kind::Real: {
            const double rounded = roundHalfEven(n.realValue);
            if (!(rounded >= 0.0 && rounded < 18446744073709551616.0)) return std::nullopt;
            value = static_cast<uint64_t>(rounded);
            break;
        }
        default:
            return std::nullopt;
    }
    if (value > hi) return std::nullopt;
    return value;
}

// Writes the number as the integer type `vt` into `out`.
HRESULT integerTo(VARTYPE vt, const Number& n, bool isBoolean, VARIANT& out) {
    std::optional<int64_t> s;
    std::optional<uint64_t> u;
    auto unsignedOf = [&](uint64_t hi) {
        // True is all ones in an unsigned type.
        return isBoolean && n.signedValue != 0 ? std::optional<uint64_t>(hi) : toUnsigned(n, hi);
    };
    switch (vt) {
        case VT_I1:
            if ((s = toSigned(n, INT8_MIN, INT8_MAX))) out.cVal = static_cast<CHAR>(*s);
            break;
        case VT_I2:
            if ((s = toSigned(n, INT16_MIN, INT16_MAX))) out.iVal = static_cast<SHORT>(*s);
            break;
        case VT_I4:
        case VT_INT:
            if ((s = toSigned(n, INT32_MIN, INT32_MAX))) out.lVal = static_cast<LONG>(*s);
            break;
        case VT_I8:
            if ((s = toSigned(n, INT64_MIN, INT64_MAX))) out.llVal = *s;
            break;
        case VT_UI1:
            if ((u = unsignedOf(UINT8_MAX))) out.bVal = static_cast<BYTE>(*u);
            break;
        case VT_UI2:
            if ((u = unsignedOf(UINT16_MAX))) out.uiVal = static_cast<USHORT>(*u);
            break;
        case VT_UI4:
        case VT_UINT:
            if ((u = unsignedOf(UINT32_MAX))) out.ulVal = static_cast<ULONG>(*u);
            break;
        case VT_UI8:
            if ((u = unsignedOf(UINT64_MAX))) out.ullVal = *u;
            break;
        default:
            return DISP_E_TYPEMISMATCH;
    }
    if (!s && !u) return DISP_E_OVERFLOW;
    out.vt = vt;
    return S_OK;
}

// Writes the number as a non-integer numeric type or a Boolean.
HRESULT numberTo(VARTYPE vt, const Number& n, bool isBoolean, VARIANT& out) {
    if (isIntegerType(vt)) return integerTo(vt, n, isBoolean, out);
    const double real = n.toReal();
    switch (vt) {
        case VT_BOOL:
            out.boolVal = real != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_R4:
            if (std::isinf(real) || (std::isfinite(real) && std::fabs(real) > FLT_MAX)) {
                return DISP_E_OVERFLOW;
            }
            out.fltVal = static_cast<float>(real);
            break;
        case VT_R8:
            if (std::isinf(real)) return DISP_E_OVERFLOW;
            out.dblVal = real;
            break;
        case VT_DATE:
            if (!(real >= kMinDate && real < kMaxDate)) return DISP_E_OVERFLOW;
            out.date = real;
            break;
        case VT_CY: {
            int64_t scaled;
            if (n.kind == Number::Kind::Signed && n.signedValue >= INT64_MIN / 10000 &&
                n.signedValue <= INT64_MAX / 10000) {
                scaled = n.signedValue * 10000;
            } else {
                const auto s = toSigned(Number::fromReal(real * 10000.0), INT64_MIN, INT64_MAX);
                if (!s) return DISP_E_OVERFLOW;
                scaled = *s;
            }
            out.cyVal.int64 = scaled;
            break;
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
    out.vt = vt;
    return S_OK;
}

// The text of a scalar source.
HRESULT textOf(const VARIANT& v, USHORT flags, std::u16string& text) {
    switch (v.vt) {
        case VT_EMPTY:
            text.clear();
            return S_OK;
        case VT_BOOL:
            if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) {
                text = v.boolVal ? u"True" : u"False";
            } else {
                text = v.boolVal ? u"-1" : u"0";
            }
            return S_OK;
        case VT_R4:
            text = formatReal(v.fltVal, 7);
            return S_OK;
        case VT_R8:
            text = formatReal(v.dblVal, 15);
            return S_OK;
        case VT_CY:
            text = formatCurrency(v.cyVal.int64);
            return S_OK;
        case VT_UI8:
            text = formatUnsigned(v.ullVal);
            return S_OK;
        default: {
            if (!isIntegerType(v.vt)) return DISP_E_TYPEMISMATCH;
            Number n;
            bool isBoolean;
            const HRESULT hr = numberOf(v, n, isBoolean);
            if (FAILED(hr)) return hr;
            text = formatSigned(n.signedValue);
            return S_OK;
        }
    }
}

HRESULT coerce(const VARIANT& source, USHORT flags, VARTYPE vt, VARIANT& out, int depth);

// The default property of an object, converted in turn.
HRESULT coerceObjectValue(const VARIANT& source, USHORT flags, VARTYPE vt, VARIANT& out,
                          int depth) {
    if ((flags & VARIANT_NOVALUEPROP) || depth >= kMaxValueDepth || !source.punkVal) {
        return DISP_E_TYPEMISMATCH;
    }
    IDispatch* dispatch = nullptr;
    if (FAILED(
            source.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) ||
        !dispatch) {
        return DISP_E_TYPEMISMATCH;
    }
    DISPPARAMS noArguments = {nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    EXCEPINFO exception;
    std::memset(&exception, 0, sizeof exception);
    UINT argumentError = 0;
    HRESULT hr = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                  &noArguments, &value, &exception, &argumentError);
    dispatch->Release();
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME) return DISP_E_TYPEMISMATCH;
    if (FAILED(hr)) return hr;
    VARIANT plain;
    hr = referencedValue(value, plain);
    if (SUCCEEDED(hr)) hr = coerce(plain, flags, vt, out, depth + 1);
    VariantClear(&value);
    return hr;
}

HRESULT interfaceTo(const VARIANT& source, VARTYPE vt, VARIANT& out) {
    if (source.vt != VT_UNKNOWN && source.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    out.punkVal = nullptr;
    if (source.punkVal) {
        const IID& iid = vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
        void* converted = nullptr;
        if (FAILED(source.punkVal->QueryInterface(iid, &converted)) || !converted) {
            return DISP_E_TYPEMISMATCH;
        }
        out.punkVal = static_cast<IUnknown*>(converted);
    }
    out.vt = vt;
    return S_OK;
}

// Converts the plain (non-reference) `source` into the empty `out`.
HRESULT coerce(const VARIANT& source, USHORT flags, VARTYPE vt, VARIANT& out, int depth) {
    const VARTYPE from = source.vt;
    if (from == vt) return VariantCopy(&out, &source);
    if ((from & VT_ARRAY) || (vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
    switch (vt) {
        case VT_EMPTY:
        case VT_NULL:
            if (from == VT_ERROR || (vt == VT_EMPTY && from == VT_NULL)) {
                return DISP_E_TYPEMISMATCH;
            }
            out.vt = vt;
            return S_OK;
        case VT_UNKNOWN:
        case VT_DISPATCH:
            return interfaceTo(source, vt, out);
        case VT_ERROR:
            if (from != VT_I4 && from != VT_INT) return DISP_E_TYPEMISMATCH;
            out.scode = source.lVal;
            out.vt = VT_ERROR;
            return S_OK;
        case VT_DECIMAL:
            return DISP_E_TYPEMISMATCH;
        default:
            break;
    }
    switch (from) {
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return coerceObjectValue(source, flags, vt, out, depth);
        case VT_ERROR:
            if (vt != VT_I4 && vt != VT_INT) return DISP_E_TYPEMISMATCH;
            out.lVal = source.scode;
            out.vt = vt;
            return S_OK;
        case VT_NULL:
        case VT_DECIMAL:
            return DISP_E_TYPEMISMATCH;
        default:
            break;
    }
    if (vt == VT_BSTR) {
        if (from == VT_DATE) return DISP_E_TYPEMISMATCH;
        std::u16string text;
        const HRESULT hr = textOf(source, flags, text);
        if (FAILED(hr)) return hr;
        out.bstrVal = allocBstr(text);
        if (!out.bstrVal) return E_OUTOFMEMORY;
        out.vt = VT_BSTR;
        return S_OK;
    }
    if (from == VT_BSTR && vt == VT_DATE) return DISP_E_TYPEMISMATCH;
    if (from == VT_BSTR && vt == VT_BOOL) {
        if (const auto word = parseBooleanWord(bstrView(source.bstrVal))) {
            out.boolVal = *word ? VARIANT_TRUE : VARIANT_FALSE;
            out.vt = VT_BOOL;
            return S_OK;
        }
    }
    Number n;
    bool isBoolean;
    const HRESULT hr = numberOf(source, n, isBoolean);
    if (FAILED(hr)) return hr;
    return numberTo(vt, n, isBoolean, out);
}

bool isValidTarget(VARTYPE vt) {
    return isValidVariantType(vt) && !(vt & VT_BYREF);
}

}  // namespace

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt) noexcept {
    if (!pvargDest || !pvarSrc) return E_INVALIDARG;
    if (!isValidVariantType(pvarSrc->vt) || !isValidTarget(vt)) return DISP_E_BADVARTYPE;
    if (pvargDest == pvarSrc && pvarSrc->vt == vt) return S_OK;
    try {
        VARIANT value;
        HRESULT hr = referencedValue(*pvarSrc, value);
        if (FAILED(hr)) return hr;
        VARIANT result;
        std::memset(&result, 0, sizeof result);
        hr = coerce(value, wFlags, vt, result, 0);
        if (FAILED(hr)) return hr;
        // The destination changes only on success; it may be the source,
        // which has been read in full by now.
        hr = VariantClear(pvargDest);
        if (FAILED(hr)) {
            VariantClear(&result);
            return hr;
        }
        std::memcpy(pvargDest, &result, sizeof result);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;  // the only exception here is a failed allocation
    }
}

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID /*lcid*/,
                            USHORT wFlags, VARTYPE vt) noexcept {
    return VariantChangeType(pvargDest, pvarSrc, wFlags, vt);
}
