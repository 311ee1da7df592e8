#pragma once
// UTF-8 / UTF-16 conversion and letter-case handling shared by every layer.

#include <cstddef>
#include <string>
#include <string_view>

namespace tlvx::platform::unicode {

// Invalid sequences (lone surrogates, bad UTF-8 bytes) become U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// The character that starts at `pos`; `pos` moves past it. A malformed
// sequence gives U+FFFD and `pos` moves past its longest well-formed start
// (at least one byte), so each bad stretch becomes one replacement.
// `pos` must be below utf8.size().
char32_t decodeUtf8(std::string_view utf8, std::size_t& pos);
// Appends one character (a code point, not a lone surrogate's) as UTF-16 /
// UTF-8.
void appendUtf16(std::u16string& out, char32_t c);
void appendUtf8(std::string& out, char32_t c);
bool isValidUtf8(std::string_view bytes);

// Locale-aware lower and upper case of a whole text (simple one-to-one
// mappings of the Unicode database, as the Windows string functions use).
// A lone surrogate stays as it is.
std::u16string toLower(std::u16string_view text);
std::u16string toUpper(std::u16string_view text);
char32_t toLower(char32_t c);
char32_t toUpper(char32_t c);

// Compares without regard to letter case: <0, 0, >0. Letters are compared by
// their upper-case form, code point by code point, as the Windows file system
// matches names. (Listings are ordered by name_collation.h instead.)
int compareIgnoringCase(std::u16string_view a, std::u16string_view b);
int compareIgnoringCase(std::string_view utf8a, std::string_view utf8b);
bool equalIgnoringCase(std::string_view utf8a, std::string_view utf8b);

}  // namespace tlvx::platform::unicode
