#pragma once
// The "ANSI" code page of the files we read and write: Windows-1252 unless
// the session chose another (see codepage_choice.h); 874, 932, 936, 949,
// 950 and 1250-1258 can be chosen. 1252 is lossless for all 256 byte values
// (the five bytes it leaves undefined map to the C1 controls U+0081,
// U+008D, U+008F, U+0090 and U+009D and back); the other code pages keep
// their undefined bytes the same way (codepage_tables.h).
//
// In a double-byte code page (932, 936, 949, 950) a character's second
// byte may be '\' or a letter: text is decoded before it is split at '\'
// or compared without regard to case, never byte by byte.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::ansi {

// The code page in use. Until useCodePage is called, the one the
// environment chooses (TLVX_CODEPAGE, else the locale).
int codePage();
// Makes `codePage` the one in use for the whole process; false (nothing
// changed) for a code page that is not supported.
bool useCodePage(int codePage);
// True for 932, 936, 949 and 950.
bool isDoubleByte();

// One byte to its character in a single-byte code page; in a double-byte
// one, what the byte stands for alone.
char32_t decodeByte(unsigned char byte);

// Bytes in the code page to UTF-16 / UTF-8.
std::u16string toUtf16(std::string_view bytes);
std::string toUtf8(std::string_view bytes);

// UTF-16 / UTF-8 to the code page. A character the code page cannot hold
// becomes '?', as the Windows conversion does by default; `lossless`, when
// given, reports whether every character was kept.
std::string fromUtf16(std::u16string_view text, bool* lossless = nullptr);
std::string fromUtf8(std::string_view utf8, bool* lossless = nullptr);
// The text in the code page for comparing with text read from a file; nullopt
// when it holds a character the code page cannot hold, since no file text
// can hold it then. (Converting it with '?' instead would make it match text
// that holds a real '?'.)
std::optional<std::string> fromUtf16Exactly(std::u16string_view text);

// True when the code page holds the character / every character of the
// text (a lone surrogate it never holds).
bool holds(char32_t c);
bool holds(std::u16string_view text);

// Text as it comes back from a trip through the code page: characters it
// cannot hold become '?', everything else stays as it is.
std::u16string throughCodePage(std::u16string_view text);

// Compares two texts in the code page without regard to letter case: each
// character stands for its upper-case form when the code page holds that
// form ('a' and 'A', in 1252 0xE9 and 0xC9, 0xFF and 0x9F are equal; 0xDF
// has none). A double-byte code page compares the decoded characters.
bool equalIgnoringCase(std::string_view a, std::string_view b);
// True when `text` starts with `prefix`, letter case ignored as above.
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Where `needle` first stands in `text` at or after `from` (which must
// start a character), or npos. In a double-byte code page it is found only
// where a character starts: a second byte that equals '\\', '[', ']' or a
// letter is never the start of a match.
std::size_t find(std::string_view text, std::string_view needle, std::size_t from = 0);
std::size_t findAscii(std::string_view text, char c, std::size_t from = 0);

// A single-byte code page's bytes to the bytes of their lower-case forms
// (a byte whose form the code page lacks stays itself); nullptr for a
// double-byte code page, whose text must be decoded to be lowered.
const std::array<unsigned char, 256>* lowerBytes();

// Code page 1252 whatever the code page in use, for text that names it.
std::u16string cp1252ToUtf16(std::string_view bytes);
std::string utf16ToCp1252(std::u16string_view text);

}  // namespace tlvx::platform::ansi
