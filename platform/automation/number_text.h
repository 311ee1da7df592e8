#pragma once
// Numbers as text, the way the automation runtime reads and writes them for
// variant coercion, with the conventions of the en-US locale ('.' decimal
// point, ',' digit grouping) whatever the process locale is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::automation {

// A number on its way between variant types: exact integers stay exact.
struct Number {
    enum class Kind { Signed, Unsigned, Real };
    Kind kind = Kind::Signed;
    int64_t signedValue = 0;     // Kind::Signed
    uint64_t unsignedValue = 0;  // Kind::Unsigned: above the int64_t range
    double realValue = 0;        // Kind::Real

    static Number fromSigned(int64_t v) { return {Kind::Signed, v, 0, 0}; }
    static Number fromUnsigned(uint64_t v) {
        return v <= INT64_MAX ? fromSigned(static_cast<int64_t>(v))
                              : Number{Kind::Unsigned, 0, v, 0};
    }
    static Number fromReal(double v) { return {Kind::Real, 0, 0, v}; }
    double toReal() const;
};

// Reads a number: white space around it, an optional sign, digits with ','
// between digits of the integer part, an optional fraction and exponent
// (E or D), or &H hexadecimal / &O octal digits. Hexadecimal and octal
// values take the smallest of 16, 32 and 64 bits that holds them and are
// read as two's complement there, as Basic reads such literals (&HFFFF is
// -1). nullopt when the text is not a number.
std::optional<Number> parseNumber(std::u16string_view text);

// "True" or "False" in any letter case, white space around allowed.
std::optional<bool> parseBooleanWord(std::u16string_view text);

std::u16string formatSigned(int64_t value);
std::u16string formatUnsigned(uint64_t value);
// Up to `significantDigits` digits, no trailing zeros, exponent form
// ("1E+20", "1.5E-07") outside the fixed range of printf's %G.
std::u16string formatReal(double value, int significantDigits);
// A currency amount (value scaled by 10000), without trailing zeros.
std::u16string formatCurrency(int64_t scaled);

// Rounds to the nearest integer, halves to the even one (banker's rounding).
double roundHalfEven(double value);

}  // namespace tlvx::platform::automation
