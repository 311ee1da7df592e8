#include "platform/text/unicode_text.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

namespace tlvx::platform::unicode {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The case mappings come from the C library's Unicode tables. The locale is
// made once and never freed; without it only ASCII letters change case.
locale_t caseLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

char32_t asciiUpper(char32_t c) {
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}
char32_t asciiLower(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// The code point at `pos` of UTF-16 text; a lone surrogate is returned as it
// is so that case mapping leaves it unchanged.
char32_t nextCodePoint(std::u16string_view text, std::size_t& pos) {
    const char32_t c = text[pos++];
    if (isHighSurrogate(c) && pos < text.size() && isLowSurrogate(text[pos])) {
        return 0x10000 + ((c - 0xD800) << 10) + (text[pos++] - 0xDC00);
    }
    return c;
}

template <typename Map>
std::u16string mapCase(std::u16string_view text, Map map) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = nextCodePoint(text, pos);
        appendUtf16(out, isHighSurrogate(c) || isLowSurrogate(c) ? c : map(c));
    }
    return out;
}

int compareCodePoints(char32_t a, char32_t b) {
    if (a == b) return 0;
    const char32_t ua = toUpper(a);
    const char32_t ub = toUpper(b);
    return ua < ub ? -1 : (ua > ub ? 1 : 0);
}

}  // namespace

void appendUtf16(std::u16string& out, char32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char32_t decodeUtf8(std::string_view utf8, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(utf8[pos++]);
    if (lead < 0x80) return lead;
    int trailing = 0;
    char32_t c = 0;
    // The allowed range of the first trailing byte rules out overlong forms,
    // surrogates and values above U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return kReplacement;
    }
    for (int i = 0; i < trailing; ++i) {
        if (pos >= utf8.size()) return kReplacement;
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < low || byte > high) return kReplacement;
        low = 0x80;
        high = 0xBF;
        c = (c << 6) | (byte & 0x3F);
        ++pos;
    }
    return c;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        // U+FFFD itself is valid; anything else decoding to it was not.
        if (decodeUtf8(bytes, pos) == kReplacement &&
            bytes.substr(start, pos - start) != "\xEF\xBF\xBD") {
            return false;
        }
    }
    return true;
}

// Copies the run of ASCII characters at `pos` in one go (most text is
// ASCII, and a loop without a branch per character is several times faster)
// and moves `pos` past it.
template <class Out, class In>
void appendAsciiRun(Out& out, const In& in, std::size_t& pos) {
    std::size_t end = pos;
    while (end < in.size() && static_cast<std::uint32_t>(in[end]) < 0x80) ++end;
    const std::size_t start = out.size();
    out.resize(start + (end - pos));
    for (std::size_t i = pos; i < end; ++i)
        out[start + (i - pos)] = static_cast<typename Out::value_type>(in[i]);
    pos = end;
}

// Converts `in` to `Out`: ASCII runs copied in one go, every other
// character through `convertOne`, which reads it at `pos`, moves `pos` past
// it and appends it to the output.
template <class Out, class In, class ConvertOne>
Out transcode(const In& in, ConvertOne&& convertOne) {
    Out out;
    out.reserve(in.size());
    std::size_t pos = 0;
    while (pos < in.size()) {
        appendAsciiRun(out, in, pos);
        if (pos < in.size()) convertOne(out, pos);
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    return transcode<std::u16string>(utf8, [&](std::u16string& out, std::size_t& pos) {
        appendUtf16(out, decodeUtf8(utf8, pos));
    });
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    return transcode<std::string>(utf16, [&](std::string& out, std::size_t& pos) {
        const char32_t c = nextCodePoint(utf16, pos);
        appendUtf8(out, isHighSurrogate(c) || isLowSurrogate(c) ? kReplacement : c);
    });
}

char32_t toLower(char32_t c) {
    if (c < 0x80) return asciiLower(c);
    const locale_t locale = caseLocale();
    if (!locale) return c;
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale));
}

char32_t toUpper(char32_t c) {
    if (c < 0x80) return asciiUpper(c);
    const locale_t locale = caseLocale();
    if (!locale) return c;
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale));
}

std::u16string toLower(std::u16string_view text) {
    return mapCase(text, [](char32_t c) { return toLower(c); });
}

std::u16string toUpper(std::u16string_view text) {
    return mapCase(text, [](char32_t c) { return toUpper(c); });
}

int compareIgnoringCase(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const int order = compareCodePoints(nextCodePoint(a, i), nextCodePoint(b, j));
        if (order != 0) return order;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

int compareIgnoringCase(std::string_view utf8a, std::string_view utf8b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < utf8a.size() && j < utf8b.size()) {
        const auto ba = static_cast<unsigned char>(utf8a[i]);
        const auto bb = static_cast<unsigned char>(utf8b[j]);
        int order;
        if (ba < 0x80 && bb < 0x80) {
            // ASCII needs neither decoding nor the locale.
            const char32_t ua = asciiUpper(ba);
            const char32_t ub = asciiUpper(bb);
            order = ua < ub ? -1 : (ua > ub ? 1 : 0);
            ++i;
            ++j;
        } else {
            order = compareCodePoints(decodeUtf8(utf8a, i), decodeUtf8(utf8b, j));
        }
        if (order != 0) return order;
    }
    if (i < utf8a.size()) return 1;
    if (j < utf8b.size()) return -1;
    return 0;
}

bool equalIgnoringCase(std::string_view utf8a, std::string_view utf8b) {
    return compareIgnoringCase(utf8a, utf8b) == 0;
}

}  // namespace tlvx::platform::unicode
