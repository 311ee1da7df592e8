#include "platform/text/codepage_choice.h"

#include <array>
#include <charconv>
#include <cstdlib>

namespace tlvx::platform::ansi {
namespace {

struct LanguageCodePage {
    std::string_view language;  // lower case, as in a locale name
    int codePage;
};

// The languages whose Windows locales use an ANSI code page other than
// 1252. Serbian, Azerbaijani and Uzbek depend on the script, below.
constexpr std::array<LanguageCodePage, 36> kLanguages = {{
    {"ja", 932},  {"ko", 949},  {"th", 874},  {"ru", 1251}, {"uk", 1251}, {"be", 1251},
    {"bg", 1251}, {"mk", 1251}, {"kk", 1251}, {"ky", 1251}, {"tt", 1251}, {"mn", 1251},
    {"tg", 1251}, {"ba", 1251}, {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250},
    {"hr", 1250}, {"sl", 1250}, {"ro", 1250}, {"sq", 1250}, {"bs", 1250}, {"el", 1253},
    {"tr", 1254}, {"he", 1255}, {"iw", 1255}, {"yi", 1255}, {"ar", 1256}, {"fa", 1256},
    {"ur", 1256}, {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258}, {"tk", 1250},
}};

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

bool isSupported(int codePage) {
    return codePage == 874 || codePage == 932 || codePage == 936 || codePage == 949 ||
           codePage == 950 || (codePage >= 1250 && codePage <= 1258);
}

std::optional<int> parseCodePage(std::string_view text) {
    int number = 0;
    if (text.empty() || text.size() > 5) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || end != text.data() + text.size() || text.front() == '-' ||
        !isSupported(number))
        return std::nullopt;
    return number;
}

int codePageOfLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const std::string name = lowerAscii(locale);
    const auto at = name.find('@');
    const std::string modifier = at == std::string::npos ? "" : name.substr(at + 1);
    const std::string base = name.substr(0, std::min(name.find('.'), at));
    const auto underscore = base.find_first_of("_-");
    const std::string language = base.substr(0, underscore);
    const std::string territory =
        underscore == std::string::npos ? "" : base.substr(underscore + 1);
    if (language == "zh") {
        // Traditional Chinese in Taiwan, Hong Kong and Macao, simplified
        // elsewhere.
        const bool traditional = territory == "tw" || territory == "hk" || territory == "mo" ||
                                 modifier == "hant" || modifier == "traditional";
        return traditional ? 950 : 936;
    }
    // Serbian is written in Cyrillic unless the locale says Latin; Uzbek
    // and Azerbaijani in Latin unless it says Cyrillic.
    if (language == "sr") return modifier == "latin" ? 1250 : 1251;
    if (language == "az") return modifier == "cyrillic" ? 1251 : 1254;
    if (language == "uz") return modifier == "cyrillic" ? 1251 : 1254;
    for (const auto& entry : kLanguages)
        if (entry.language == language) return entry.codePage;
    return kDefaultCodePage;
}

std::string localeOfEnvironment() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        std::string value = variable(name);
        if (!value.empty()) return value;
    }
    return "";
}

CodePageChoice chooseCodePage(const std::optional<std::string>& option) {
    CodePageChoice choice;
    std::string text;
    if (option) {
        choice.source = CodePageSource::Option;
        text = *option;
    } else if (std::string value = variable(kCodePageVariable); !value.empty()) {
        choice.source = CodePageSource::Variable;
        text = std::move(value);
    } else {
        choice.codePage = codePageOfLocale(localeOfEnvironment());
        return choice;
    }
    if (const auto number = parseCodePage(text))
        choice.codePage = *number;
    else
        choice.refused = text.empty() ? std::string("(empty)") : text;
    return choice;
}

std::string unsupportedCodePageMessage(std::string_view origin, std::string_view text) {
    return std::string(origin) + ": code page \"" + std::string(text) +
           "\" is not supported (supported: " + std::string(supportedCodePagesText()) + ")";
}

std::string unavailableCodePageMessage(int codePage) {
    return "code page " + std::to_string(codePage) +
           " cannot be used: this system's iconv does not convert it";
}

std::string_view supportedCodePagesText() {
    return "874, 932, 936, 949, 950, 1250-1258";
}

}  // namespace tlvx::platform::ansi
