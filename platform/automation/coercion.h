#pragma once
// The one home of reading variants as plain values: what a numeric variant
// holds, and any value as text, a 32-bit number or a Boolean as the runtime
// converts it (VariantChangeType). Late calls, the stream object, the Qt
// object bridge, the dispatch tables, VariantChangeType and VarCmp read
// their variants here.

#include <cstdint>
#include <optional>
#include <string>

#include "include/tallyvex/ole_types.h"

namespace tlvx::platform::automation {

// The number a numeric variant holds, exactly.
struct NumericValue {
    enum class Kind { Signed, Unsigned, Currency, Real };
    Kind kind = Kind::Signed;
    // Signed: every integer type but VT_UI8, a Boolean (-1 or 0) and Empty
    // (0); Currency: the amount times 10000.
    int64_t signedValue = 0;
    uint64_t unsignedValue = 0;  // Unsigned: VT_UI8
    double realValue = 0;        // Real: VT_R4, VT_R8 and VT_DATE
};

// What the plain (not by reference) variant holds when it is an integer, a
// Boolean, a currency amount, a real, a date or Empty; nullopt for any
// other type (a text or a decimal included).
std::optional<NumericValue> numericValue(const VARIANT& value) noexcept;

// `value` (a reference is followed) as `type` into the empty `out`:
// converted by VariantChangeType, or for VT_VARIANT copied
// (VariantCopyInd). A failure other than DISP_E_OVERFLOW or E_OUTOFMEMORY
// is DISP_E_TYPEMISMATCH.
HRESULT convertVariant(const VARIANT& value, VARTYPE type, VARIANT& out) noexcept;

// The value as text, as a 32-bit number or as a Boolean; nullopt when it
// does not convert.
std::optional<std::u16string> variantToText(const VARIANT& value);
std::optional<int32_t> variantToNumber(const VARIANT& value) noexcept;
std::optional<bool> variantToBoolean(const VARIANT& value) noexcept;

}  // namespace tlvx::platform::automation
