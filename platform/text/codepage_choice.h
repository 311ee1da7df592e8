#pragma once
// Which "ANSI" code page the files of this session are read and written
// in, as Windows would have it on the user's system. In this order: the
// command's own option, the variable TLVX_CODEPAGE, the user's locale
// (LC_ALL, else LC_CTYPE, else LANG) mapped as Windows maps a language to
// its ANSI code page; 1252 for C, POSIX and every language not listed.

#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::ansi {

inline constexpr int kDefaultCodePage = 1252;
inline constexpr const char* kCodePageVariable = "TLVX_CODEPAGE";

// 874, 932, 936, 949, 950 and 1250 to 1258.
bool isSupported(int codePage);

// "932" is 932; nullopt for anything but the decimal number of a supported
// code page (spaces, signs and a "CP" prefix included).
std::optional<int> parseCodePage(std::string_view text);

// The code page Windows gives a locale name such as "ja_JP.UTF-8",
// "sr_RS@latin" or "zh_TW".
int codePageOfLocale(std::string_view locale);

// LC_ALL, else LC_CTYPE, else LANG: the first that is set and not empty.
std::string localeOfEnvironment();

enum class CodePageSource { Option, Variable, Locale };

struct CodePageChoice {
    int codePage = kDefaultCodePage;
    CodePageSource source = CodePageSource::Locale;
    // The option's or variable's text when it named no supported code page
    // (the choice then is 1252); empty otherwise.
    std::string refused;
};

// The option's text when given, else TLVX_CODEPAGE when set and not empty,
// else the locale.
CodePageChoice chooseCodePage(const std::optional<std::string>& option = std::nullopt);

// One line (no line end) telling that the choice was refused and naming
// the supported code pages: `origin` names where the text came from
// ("--codepage", "TLVX_CODEPAGE").
std::string unsupportedCodePageMessage(std::string_view origin, std::string_view text);

// One line (no line end) telling that a supported code page cannot be used
// because the system's conversions (iconv) lack it.
std::string unavailableCodePageMessage(int codePage);

// "874, 932, 936, 949, 950, 1250-1258".
std::string_view supportedCodePagesText();

}  // namespace tlvx::platform::ansi
