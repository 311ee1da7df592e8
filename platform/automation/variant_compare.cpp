// Comparison of two variants (VarCmp). A reference is followed first. The
// order of the checks is that of the automation runtime: Null wins, then
// values that cannot be compared fail, then texts, then numbers.
//
// Numbers compare by value: integers (Booleans are -1 and 0) exactly,
// currency exactly against integers and currency, everything else as long
// double. A decimal is read as long double too, so two decimals that differ
// only beyond its 64 bits of precision compare equal.

#include <cmath>
#include <cstdint>

#include "platform/automation/bstr.h"
#include "platform/automation/coercion.h"
#include "platform/automation/variant_types.h"
#include "platform/text/unicode_text.h"

using namespace tlvx::platform::automation;

namespace {

struct Comparable {
    enum class Kind { Integer, Currency, Real };
    Kind kind = Kind::Integer;
    __int128 integer = 0;  // Integer; Currency: the value times 10000
    long double real = 0;  // Real
};

bool isNumeric(VARTYPE vt) {
    switch (vt) {
        case VT_BOOL:
        case VT_R4:
        case VT_R8:
        case VT_DATE:
        case VT_CY:
        case VT_DECIMAL:
            return true;
        default:
            return isIntegerType(vt);
    }
}

long double decimalValue(const DECIMAL& d) {
    const long double mantissa = static_cast<long double>(d.Hi32) * 18446744073709551616.0L +
                                 static_cast<long double>(d.Lo64);
    const long double value = mantissa / std::pow(10.0L, static_cast<long double>(d.scale));
    return (d.sign & DECIMAL_NEG) ? -value : value;
}

// The number a numeric variant or Empty holds.
Comparable numberOf(const VARIANT& v) {
    Comparable n;
    if (v.vt == VT_DECIMAL) {
        n.kind = Comparable::Kind::Real;
        n.real = decimalValue(v.decVal);
        return n;
    }
    const auto value = numericValue(v);
    if (!value) return n;  // Empty
    switch (value->kind) {
        case NumericValue::Kind::Signed:
            n.integer = value->signedValue;
            break;
        case NumericValue::Kind::Unsigned:
            n.integer = value->unsignedValue;
            break;
        case NumericValue::Kind::Currency:
            n.kind = Comparable::Kind::Currency;
            n.integer = value->signedValue;
            break;
        case NumericValue::Kind::Real:
            n.kind = Comparable::Kind::Real;
            n.real = value->realValue;
            break;
    }
    return n;
}

template <class T>
HRESULT order(const T& left, const T& right) {
    if (left < right) return VARCMP_LT;
    if (right < left) return VARCMP_GT;
    return VARCMP_EQ;
}

long double asReal(const Comparable& n) {
    switch (n.kind) {
        case Comparable::Kind::Integer:
            return static_cast<long double>(n.integer);
        case Comparable::Kind::Currency:
            return static_cast<long double>(n.integer) / 10000.0L;
        case Comparable::Kind::Real:
            break;
    }
    return n.real;
}

HRESULT compareNumbers(const Comparable& left, const Comparable& right) {
    using Kind = Comparable::Kind;
    if (left.kind != Kind::Real && right.kind != Kind::Real) {
        const __int128 a = left.kind == Kind::Integer && right.kind == Kind::Currency
                               ? left.integer * 10000
                               : left.integer;
        const __int128 b = right.kind == Kind::Integer && left.kind == Kind::Currency
                               ? right.integer * 10000
                               : right.integer;
        return order(a, b);
    }
    const long double a = asReal(left);
    const long double b = asReal(right);
    // Not a number equals nothing, itself included.
    if (std::isnan(a) || std::isnan(b)) return a < b ? VARCMP_LT : VARCMP_GT;
    return order(a, b);
}

HRESULT compareTexts(std::u16string_view left, std::u16string_view right, ULONG flags) {
    if (flags & NORM_IGNORECASE) {
        const int c = tlvx::platform::unicode::compareIgnoringCase(left, right);
        return c < 0 ? VARCMP_LT : (c > 0 ? VARCMP_GT : VARCMP_EQ);
    }
    const int c = left.compare(right);
    return c < 0 ? VARCMP_LT : (c > 0 ? VARCMP_GT : VARCMP_EQ);
}

}  // namespace

HRESULT VarCmp(LPVARIANT pvarLeft, LPVARIANT pvarRight, LCID, ULONG dwFlags) noexcept {
    if (!pvarLeft || !pvarRight) return E_INVALIDARG;
    if (!isValidVariantType(pvarLeft->vt) || !isValidVariantType(pvarRight->vt)) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT left, right;
    if (FAILED(referencedValue(*pvarLeft, left)) || FAILED(referencedValue(*pvarRight, right))) {
        return E_INVALIDARG;
    }
    if (left.vt == VT_NULL || right.vt == VT_NULL) return VARCMP_NULL;
    const auto comparable = [](VARTYPE vt) {
        return vt == VT_EMPTY || vt == VT_BSTR || isNumeric(vt);
    };
    if (!comparable(left.vt) || !comparable(right.vt)) return DISP_E_TYPEMISMATCH;

    try {
        const bool leftText = left.vt == VT_BSTR;
        const bool rightText = right.vt == VT_BSTR;
        if (leftText || rightText) {
            // Empty beside a text is the empty text; any number is below
            // every text.
            if (leftText && rightText) {
                return compareTexts(bstrView(left.bstrVal), bstrView(right.bstrVal), dwFlags);
            }
            if (left.vt == VT_EMPTY) return compareTexts(u"", bstrView(right.bstrVal), dwFlags);
            if (right.vt == VT_EMPTY) return compareTexts(bstrView(left.bstrVal), u"", dwFlags);
            return leftText ? VARCMP_GT : VARCMP_LT;
        }
        return compareNumbers(numberOf(left), numberOf(right));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
