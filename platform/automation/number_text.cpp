#include "platform/automation/number_text.h"

#include <charconv>
#include <cmath>

namespace tlvx::platform::automation {
namespace {

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || (c >= u'\n' && c <= u'\r');
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 99;
}

std::u16string widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

// Digits after "&H" or "&O", as a two's complement value of 16, 32 or 64 bits.
std::optional<Number> parseRadix(std::u16string_view digits, int radix, bool negative) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char16_t c : digits) {
        const int d = digitValue(c);
        if (d >= radix) return std::nullopt;
        if (value > (UINT64_MAX - static_cast<uint64_t>(d)) / static_cast<uint64_t>(radix)) {
            return std::nullopt;  // more than 64 bits
        }
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    }
    int64_t result;
    if (value <= 0xFFFF) {
        result = static_cast<int16_t>(value);
    } else if (value <= 0xFFFFFFFF) {
        result = static_cast<int32_t>(value);
    } else {
        result = static_cast<int64_t>(value);
    }
    if (negative) {
        if (result == INT64_MIN) return Number::fromUnsigned(uint64_t{1} << 63);
        result = -result;
    }
    return Number::fromSigned(result);
}

// An integer without fraction or exponent, exact when it fits 64 bits.
Number integerFromDigits(const std::string& digits, bool negative) {
    uint64_t magnitude = 0;
    for (char c : digits) {
        const auto d = static_cast<uint64_t>(c - '0');
        if (magnitude > (UINT64_MAX - d) / 10) {
            const double real = std::strtod(digits.c_str(), nullptr);  // digits only
            return Number::fromReal(negative ? -real : real);
        }
        magnitude = magnitude * 10 + d;
    }
    if (!negative) return Number::fromUnsigned(magnitude);
    if (magnitude <= uint64_t{1} << 63) {
        return Number::fromSigned(static_cast<int64_t>(0 - magnitude));
    }
    return Number::fromReal(-static_cast<double>(magnitude));
}

}  // namespace

double Number::toReal() const {
    switch (kind) {
        case Kind::Signed:
            return static_cast<double>(signedValue);
        case Kind::Unsigned:
            return static_cast<double>(unsignedValue);
        case Kind::Real:
            break;
    }
    return realValue;
}

std::optional<Number> parseNumber(std::u16string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.size() >= 2 && text[0] == u'&') {
        const char16_t marker = text[1];
        if (marker == u'H' || marker == u'h') return parseRadix(text.substr(2), 16, negative);
        if (marker == u'O' || marker == u'o') return parseRadix(text.substr(2), 8, negative);
        return std::nullopt;
    }

    // Collect the number in the form std::from_chars reads.
    std::string ascii;
    size_t i = 0;
    size_t mantissaDigits = 0;
    size_t integerDigits = 0;
    while (i < text.size() && (isDigit(text[i]) || text[i] == u',')) {
        if (text[i] == u',') {
            // A group separator stands between digits.
            if (integerDigits == 0 || i + 1 >= text.size() || !isDigit(text[i + 1])) {
                return std::nullopt;
            }
        } else {
            ascii += static_cast<char>(text[i]);
            ++integerDigits;
        }
        ++i;
    }
    mantissaDigits = integerDigits;
    bool isInteger = true;
    if (i < text.size() && text[i] == u'.') {
        isInteger = false;
        ascii += '.';
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ascii += static_cast<char>(text[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    long exponent = 0;
    if (i < text.size() &&
        (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        isInteger = false;
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ++i;
        }
        if (i >= text.size() || !isDigit(text[i])) return std::nullopt;
        while (i < text.size() && isDigit(text[i])) {
            if (exponent < 100000) exponent = exponent * 10 + (text[i] - u'0');
            ++i;
        }
        if (negativeExponent) exponent = -exponent;
        ascii += 'e';
        ascii += std::to_string(exponent);
    }
    if (i != text.size()) return std::nullopt;
    if (isInteger) return integerFromDigits(ascii, negative);

    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large becomes infinite (an overflow for every target type),
        // too small becomes zero.
        value = static_cast<long>(integerDigits) + exponent > 0 ? HUGE_VAL : 0.0;
    } else if (ec != std::errc() || end != ascii.data() + ascii.size()) {
        return std::nullopt;
    }
    return Number::fromReal(negative ? -value : value);
}

std::optional<bool> parseBooleanWord(std::u16string_view text) {
    text = trimmed(text);
    auto is = [text](std::u16string_view word) {
        if (text.size() != word.size()) return false;
        for (size_t i = 0; i < word.size(); ++i) {
            const char16_t c = text[i] >= u'A' && text[i] <= u'Z' ? text[i] + 32 : text[i];
            if (c != word[i]) return false;
        }
        return true;
    };
    if (is(u"true")) return true;
    if (is(u"false")) return false;
    return std::nullopt;
}

std::u16string formatSigned(int64_t value) {
    return widen(std::to_string(value));
}

std::u16string formatUnsigned(uint64_t value) {
    return widen(std::to_string(value));
}

std::u16string formatReal(double value, int significantDigits) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, significantDigits);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    if (text == "-0") return u"0";  // no negative zero in text
    return widen(text);
}

std::u16string formatCurrency(int64_t scaled) {
    const bool negative = scaled < 0;
    const uint64_t magnitude =
        negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    std::string text = std::to_string(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction + 10000).substr(1);
        while (digits.back() == '0') digits.pop_back();
        text += '.';
        text += digits;
    }
    if (negative) text.insert(text.begin(), '-');
    return widen(text);
}

double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

}  // namespace tlvx::platform::automation
