#include "platform/text/ansi_codepage.h"

#include <array>

#include "platform/text/unicode_text.h"

namespace tlvx::platform::ansi {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1. The five bytes the
// code page leaves undefined keep their C1 control so that every byte
// survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte for a character, or -1 when the code page has none.
int encodeChar(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<int>(0x80 + i);
    }
    return -1;
}

void appendEncoded(std::string& out, char32_t c, bool& kept) {
    const int byte = encodeChar(c);
    if (byte < 0) {
        out.push_back('?');
        kept = false;
    } else {
        out.push_back(static_cast<char>(byte));
    }
}

// Each byte to the byte of its upper-case form, or to itself.
std::array<unsigned char, 256> makeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const int upper =
            encodeChar(unicode::toUpper(char32_t{decodeByte(static_cast<unsigned char>(b))}));
        table[b] = static_cast<unsigned char>(upper < 0 ? b : upper);
    }
    return table;
}

}  // namespace

char16_t decodeByte(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

std::u16string toUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const char b : bytes) out.push_back(decodeByte(static_cast<unsigned char>(b)));
    return out;
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // ASCII bytes stand for themselves: a run of them goes in one piece.
        std::size_t run = i;
        while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80) ++run;
        if (run > i) {
            out.append(bytes.data() + i, run - i);
            i = run - 1;
            continue;
        }
        const char16_t c = decodeByte(static_cast<unsigned char>(bytes[i]));
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string fromUtf16(std::u16string_view text, bool* lossless) {
    std::string out;
    out.reserve(text.size());
    bool kept = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        // A surrogate pair is one character and becomes one '?'.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        }
        appendEncoded(out, c, kept);
    }
    if (lossless) *lossless = kept;
    return out;
}

std::string fromUtf8(std::string_view utf8, bool* lossless) {
    std::string out;
    out.reserve(utf8.size());
    bool kept = true;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++i;
            continue;
        }
        // A malformed sequence decodes to U+FFFD, which the code page
        // cannot hold either: it becomes '?' and the text was not kept.
        appendEncoded(out, unicode::decodeUtf8(utf8, i), kept);
    }
    if (lossless) *lossless = kept;
    return out;
}

bool holds(char32_t c) {
    return encodeChar(c) >= 0;
}

bool holds(std::u16string_view text) {
    bool kept = true;
    fromUtf16(text, &kept);
    return kept;
}

std::u16string throughCodePage(std::u16string_view text) {
    return toUtf16(fromUtf16(text));
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    static const std::array<unsigned char, 256> upper = makeUpperTable();
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper[static_cast<unsigned char>(a[i])] != upper[static_cast<unsigned char>(b[i])]) {
            return false;
        }
    }
    return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace tlvx::platform::ansi
