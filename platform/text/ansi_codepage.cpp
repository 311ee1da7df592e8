#include "platform/text/ansi_codepage.h"

#include <array>
#include <atomic>
#include <optional>

#include "platform/text/codepage_choice.h"
#include "platform/text/codepage_tables.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::ansi {
namespace {

// ---- Code page 1252, the default: a fixed table, no iconv ------------------

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

char16_t decode1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

// Each byte to the byte of its upper-case form, or to itself.
std::array<unsigned char, 256> makeUpperTable1252() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const int upper =
            encodeChar(unicode::toUpper(char32_t{decode1252(static_cast<unsigned char>(b))}));
        table[b] = static_cast<unsigned char>(upper < 0 ? b : upper);
    }
    return table;
}

// Each byte to the byte of its lower-case form, or to itself.
std::array<unsigned char, 256> makeLowerTable1252() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const int lower =
            encodeChar(unicode::toLower(char32_t{decode1252(static_cast<unsigned char>(b))}));
        table[b] = static_cast<unsigned char>(lower < 0 ? b : lower);
    }
    return table;
}

std::u16string toUtf161252(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const char b : bytes) out.push_back(decode1252(static_cast<unsigned char>(b)));
    return out;
}

std::string toUtf81252(std::string_view bytes) {
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
        const char16_t c = decode1252(static_cast<unsigned char>(bytes[i]));
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

std::string fromUtf161252(std::u16string_view text, bool* lossless) {
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

std::string fromUtf81252(std::string_view utf8, bool* lossless) {
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

bool equalIgnoringCase1252(std::string_view a, std::string_view b) {
    static const std::array<unsigned char, 256> upper = makeUpperTable1252();
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper[static_cast<unsigned char>(a[i])] != upper[static_cast<unsigned char>(b[i])]) {
            return false;
        }
    }
    return true;
}

bool startsWithIgnoringCase1252(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalIgnoringCase1252(text.substr(0, prefix.size()), prefix);
}

bool holds1252(char32_t c) {
    return encodeChar(c) >= 0;
}

// ---- The other code pages, through their tables ------------------------------

// The characters of UTF-16 text; a lone surrogate is U+FFFD, which no code
// page holds.
template <typename Visit>
void forEachUtf16(std::u16string_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        visit(c);
    }
}

void appendEncoded(const CodePageTable& table, std::string& out, char32_t c, bool& kept) {
    if (!table.encode(c, out)) {
        out.push_back('?');
        kept = false;
    }
}

// ---- The code page in use ----------------------------------------------------

// nullptr stands for 1252. Chosen before the first conversion by the
// command line or the environment (tests switch it); tables are never freed.
std::atomic<const CodePageTable*> g_table{nullptr};
std::atomic<bool> g_chosen{false};

void chooseFromEnvironmentOnce() {
    static const bool chosen = [] {
        if (!g_chosen.load(std::memory_order_acquire)) useCodePage(chooseCodePage().codePage);
        return true;
    }();
    (void)chosen;
}

const CodePageTable* table() {
    if (!g_chosen.load(std::memory_order_acquire)) chooseFromEnvironmentOnce();
    return g_table.load(std::memory_order_acquire);
}

}  // namespace

int codePage() {
    const CodePageTable* t = table();
    return t ? t->number() : kDefaultCodePage;
}

bool useCodePage(int number) {
    if (!isSupported(number)) return false;
    const CodePageTable* t = nullptr;
    if (number != kDefaultCodePage) {
        t = CodePageTable::of(number);
        if (!t) return false;
    }
    g_table.store(t, std::memory_order_release);
    g_chosen.store(true, std::memory_order_release);
    return true;
}

bool isDoubleByte() {
    const CodePageTable* t = table();
    return t && t->doubleByte();
}

char32_t decodeByte(unsigned char byte) {
    const CodePageTable* t = table();
    if (!t) return decode1252(byte);
    const char b = static_cast<char>(byte);
    std::size_t pos = 0;
    return t->decodeAt(std::string_view(&b, 1), pos);
}

std::u16string toUtf16(std::string_view bytes) {
    const CodePageTable* t = table();
    if (!t) return toUtf161252(bytes);
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) unicode::appendUtf16(out, t->decodeAt(bytes, i));
    return out;
}

std::string toUtf8(std::string_view bytes) {
    const CodePageTable* t = table();
    if (!t) return toUtf81252(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            out.push_back(bytes[i++]);
            continue;
        }
        unicode::appendUtf8(out, t->decodeAt(bytes, i));
    }
    return out;
}

std::string fromUtf16(std::u16string_view text, bool* lossless) {
    const CodePageTable* t = table();
    if (!t) return fromUtf161252(text, lossless);
    std::string out;
    out.reserve(text.size());
    bool kept = true;
    forEachUtf16(text, [&](char32_t c) { appendEncoded(*t, out, c, kept); });
    if (lossless) *lossless = kept;
    return out;
}

std::optional<std::string> fromUtf16Exactly(std::u16string_view text) {
    bool lossless = false;
    std::string bytes = fromUtf16(text, &lossless);
    if (!lossless) return std::nullopt;
    return bytes;
}

std::string fromUtf8(std::string_view utf8, bool* lossless) {
    const CodePageTable* t = table();
    if (!t) return fromUtf81252(utf8, lossless);
    std::string out;
    out.reserve(utf8.size());
    bool kept = true;
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out.push_back(utf8[i++]);
            continue;
        }
        // A malformed sequence decodes to U+FFFD, which no code page holds.
        appendEncoded(*t, out, unicode::decodeUtf8(utf8, i), kept);
    }
    if (lossless) *lossless = kept;
    return out;
}

bool holds(char32_t c) {
    const CodePageTable* t = table();
    if (!t) return holds1252(c);
    std::string bytes;
    return t->encode(c, bytes);
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
    const CodePageTable* t = table();
    if (!t) return equalIgnoringCase1252(a, b);
    if (!t->doubleByte()) {
        const auto& upper = t->upperBytes();
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (upper[static_cast<unsigned char>(a[i])] != upper[static_cast<unsigned char>(b[i])])
                return false;
        }
        return true;
    }
    // Characters, not bytes: a second byte in A-Z is no letter.
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (unicode::toUpper(t->decodeAt(a, i)) != unicode::toUpper(t->decodeAt(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    const CodePageTable* t = table();
    if (!t) return startsWithIgnoringCase1252(text, prefix);
    if (!t->doubleByte())
        return text.size() >= prefix.size() &&
               equalIgnoringCase(text.substr(0, prefix.size()), prefix);
    std::size_t i = 0;
    std::size_t j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        if (unicode::toUpper(t->decodeAt(text, i)) != unicode::toUpper(t->decodeAt(prefix, j)))
            return false;
    }
    return true;
}

std::size_t find(std::string_view text, std::string_view needle, std::size_t from) {
    const CodePageTable* t = table();
    if (!t || !t->doubleByte()) return text.find(needle, from);
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size();) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        t->decodeAt(text, i);
    }
    return std::string_view::npos;
}

std::size_t findAscii(std::string_view text, char c, std::size_t from) {
    return find(text, std::string_view(&c, 1), from);
}

std::u16string cp1252ToUtf16(std::string_view bytes) {
    return toUtf161252(bytes);
}

std::string utf16ToCp1252(std::u16string_view text) {
    return fromUtf161252(text, nullptr);
}

const std::array<unsigned char, 256>* lowerBytes() {
    const CodePageTable* t = table();
    if (!t) {
        static const std::array<unsigned char, 256> lower = makeLowerTable1252();
        return &lower;
    }
    return t->doubleByte() ? nullptr : &t->lowerBytes();
}

}  // namespace tlvx::platform::ansi
