#pragma once
// The "ANSI" code page of the files we read and write: Windows-1252, lossless
// for all 256 byte values (the five bytes 1252 leaves undefined map to the C1
// controls U+0081, U+008D, U+008F, U+0090 and U+009D and back).

#include <string>
#include <string_view>

namespace tlvx::platform::ansi {

// One byte to its UTF-16 character.
char16_t decodeByte(unsigned char byte);

// Bytes in code page 1252 to UTF-16 / UTF-8.
std::u16string toUtf16(std::string_view bytes);
std::string toUtf8(std::string_view bytes);

// UTF-16 / UTF-8 to code page 1252. A character the code page cannot hold
// becomes '?', as the Windows conversion does by default; `lossless`, when
// given, reports whether every character was kept.
std::string fromUtf16(std::u16string_view text, bool* lossless = nullptr);
std::string fromUtf8(std::string_view utf8, bool* lossless = nullptr);

// True when the code page holds the character / every character of the
// text (a lone surrogate it never holds).
bool holds(char32_t c);
bool holds(std::u16string_view text);

// Text as it comes back from a trip through the code page: characters it
// cannot hold become '?', everything else stays as it is.
std::u16string throughCodePage(std::u16string_view text);

// Compares two texts in code page 1252 without regard to letter case: each
// byte stands for its upper-case form when the code page holds that form
// ('a' and 'A', 0xE9 and 0xC9, 0xFF and 0x9F are equal; 0xDF has none).
bool equalIgnoringCase(std::string_view a, std::string_view b);
// True when `text` starts with `prefix`, letter case ignored as above.
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace tlvx::platform::ansi
