#include "platform/text/codepage_choice.h"

#include <gtest/gtest.h>

#include "tests/support/environment_guard.h"

namespace ansi = tlvx::platform::ansi;
using tlvx::test::EnvironmentGuard;

namespace {

TEST(CodePageChoice, MapsLocalesAsWindowsMapsLanguages) {
    const struct {
        const char* locale;
        int codePage;
    } cases[] = {
        {"ja_JP.UTF-8", 932},
        {"ja", 932},
        {"zh_CN.UTF-8", 936},
        {"zh_SG.GBK", 936},
        {"zh_TW.UTF-8", 950},
        {"zh_HK.big5hkscs", 950},
        {"zh_MO", 950},
        {"zh", 936},
        {"ko_KR.EUC-KR", 949},
        {"th_TH.UTF-8", 874},
        {"ru_RU.UTF-8", 1251},
        {"uk_UA", 1251},
        {"be_BY.UTF-8", 1251},
        {"bg_BG", 1251},
        {"mk_MK", 1251},
        {"sr_RS.UTF-8", 1251},
        {"sr_RS.UTF-8@latin", 1250},
        {"pl_PL.UTF-8", 1250},
        {"cs_CZ", 1250},
        {"sk_SK", 1250},
        {"hu_HU", 1250},
        {"hr_HR", 1250},
        {"sl_SI", 1250},
        {"ro_RO", 1250},
        {"sq_AL", 1250},
        {"bs_BA", 1250},
        {"el_GR.UTF-8", 1253},
        {"tr_TR.UTF-8", 1254},
        {"az_AZ", 1254},
        {"he_IL.UTF-8", 1255},
        {"ar_EG.UTF-8", 1256},
        {"fa_IR", 1256},
        {"ur_PK", 1256},
        {"et_EE", 1257},
        {"lv_LV", 1257},
        {"lt_LT", 1257},
        {"vi_VN", 1258},
        {"de_DE.UTF-8", 1252},
        {"en_US.UTF-8", 1252},
        {"fr_FR@euro", 1252},
        {"C", 1252},
        {"C.UTF-8", 1252},
        {"POSIX", 1252},
        {"", 1252},
        {"JA_jp.utf8", 932},
        {"jam_JM", 1252},  // a longer name is another language
    };
    for (const auto& c : cases) EXPECT_EQ(ansi::codePageOfLocale(c.locale), c.codePage) << c.locale;
}

TEST(CodePageChoice, ReadsOnlyTheDecimalNumberOfASupportedCodePage) {
    const struct {
        const char* text;
        std::optional<int> codePage;
    } cases[] = {
        {"932", 932},
        {"874", 874},
        {"1250", 1250},
        {"1258", 1258},
        {"1252", 1252},
        {"0932", 932},
        {"437", std::nullopt},
        {"65001", std::nullopt},
        {"1259", std::nullopt},
        {"", std::nullopt},
        {"CP932", std::nullopt},
        {" 932", std::nullopt},
        {"932 ", std::nullopt},
        {"+932", std::nullopt},
        {"-932", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ansi::parseCodePage(c.text), c.codePage) << c.text;
}

TEST(CodePageChoice, LocaleVariablesGoInTheirOrder) {
    const struct {
        std::optional<std::string> all, ctype, lang;
        const char* locale;
    } cases[] = {
        {"ja_JP.UTF-8", "ru_RU.UTF-8", "ko_KR.UTF-8", "ja_JP.UTF-8"},
        {std::nullopt, "ru_RU.UTF-8", "ko_KR.UTF-8", "ru_RU.UTF-8"},
        {"", "", "ko_KR.UTF-8", "ko_KR.UTF-8"},  // set but empty counts as not set
        {std::nullopt, std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        EnvironmentGuard all("LC_ALL", c.all), ctype("LC_CTYPE", c.ctype), lang("LANG", c.lang);
        EXPECT_EQ(ansi::localeOfEnvironment(), c.locale);
    }
}

TEST(CodePageChoice, OptionBeforeVariableBeforeLocale) {
    const struct {
        std::optional<std::string> option;
        std::optional<std::string> variable;
        int codePage;
        ansi::CodePageSource source;
        std::string refused;
    } cases[] = {
        {"949", "932", 949, ansi::CodePageSource::Option, ""},
        {std::nullopt, "950", 950, ansi::CodePageSource::Variable, ""},
        {std::nullopt, "", 1251, ansi::CodePageSource::Locale, ""},
        {std::nullopt, std::nullopt, 1251, ansi::CodePageSource::Locale, ""},
        // A refused choice is told and leaves 1252, never the next source.
        {"437", "932", 1252, ansi::CodePageSource::Option, "437"},
        {"", "932", 1252, ansi::CodePageSource::Option, "(empty)"},
        {std::nullopt, "utf-8", 1252, ansi::CodePageSource::Variable, "utf-8"},
        // A valid option makes a wrong variable harmless.
        {"1250", "nonsense", 1250, ansi::CodePageSource::Option, ""},
    };
    EnvironmentGuard all("LC_ALL", std::nullopt), ctype("LC_CTYPE", std::nullopt);
    EnvironmentGuard lang("LANG", "ru_RU.UTF-8");
    for (const auto& c : cases) {
        EnvironmentGuard variable(ansi::kCodePageVariable, c.variable);
        const auto choice = ansi::chooseCodePage(c.option);
        EXPECT_EQ(choice.codePage, c.codePage);
        EXPECT_EQ(choice.source, c.source);
        EXPECT_EQ(choice.refused, c.refused);
    }
}

TEST(CodePageChoice, TheRefusalNamesTheSupportedCodePages) {
    EXPECT_EQ(ansi::unsupportedCodePageMessage("--codepage", "437"),
              "--codepage: code page \"437\" is not supported (supported: 874, 932, 936, 949, "
              "950, 1250-1258)");
    EXPECT_EQ(ansi::unavailableCodePageMessage(932),
              "code page 932 cannot be used: this system's iconv does not convert it");
    for (int cp = 0; cp < 70000; ++cp) {
        const bool listed = cp == 874 || cp == 932 || cp == 936 || cp == 949 || cp == 950 ||
                            (cp >= 1250 && cp <= 1258);
        EXPECT_EQ(ansi::isSupported(cp), listed) << cp;
    }
}

}  // namespace
