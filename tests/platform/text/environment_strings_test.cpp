#include "platform/text/environment_strings.h"

#include <gtest/gtest.h>

#include "tests/support/environment_guard.h"

namespace {

using tlvx::platform::environment::expandStrings;
using tlvx::test::EnvironmentGuard;

TEST(EnvironmentStrings, SetVariablesAreReplacedTheRestStaysAsWritten) {
    EnvironmentGuard a("TLVX_A", "alpha");
    EnvironmentGuard empty("TLVX_EMPTY", "");
    EnvironmentGuard utf8("TLVX_UTF8", "caf\xC3\xA9");
    EnvironmentGuard unset("TLVX_UNSET", std::nullopt);
    struct Case {
        std::u16string text, expanded;
    };
    const Case cases[] = {
        {u"%TLVX_A%", u"alpha"},
        {u"x%TLVX_A%y%TLVX_A%z", u"xalphayalphaz"},
        {u"[%TLVX_EMPTY%]", u"[]"},
        {u"%TLVX_UTF8%", u"caf\u00e9"},
        {u"%TLVX_UNSET%", u"%TLVX_UNSET%"},
        {u"%TLVX_UNSET%TLVX_A%", u"%TLVX_UNSET%TLVX_A%"},
        {u"%tlvx_a%", u"%tlvx_a%"},  // names as this system holds them
        {u"100% sure", u"100% sure"},
        {u"%%", u"%%"},
        {u"%TLVX_A", u"%TLVX_A"},
        {u"", u""},
        {std::u16string(u"%TLVX_A\0%", 9), std::u16string(u"%TLVX_A\0%", 9)},
    };
    for (const Case& c : cases) EXPECT_EQ(expandStrings(c.text), c.expanded);
}

TEST(EnvironmentStrings, TheWindowsFolderNamesStandForTheFolderGiven) {
    EnvironmentGuard root("SystemRoot", std::nullopt);
    EnvironmentGuard windir("windir", std::nullopt);
    EnvironmentGuard drive("SystemDrive", std::nullopt);
    struct Case {
        std::u16string text, expanded;
    };
    const Case cases[] = {
        {u"%SystemRoot%\\system32", u"/w\\system32"},
        {u"%SYSTEMROOT%;%systemroot%;%windir%;%WINDIR%", u"/w;/w;/w;/w"},
        {u"%SystemDrive%", u"%SystemDrive%"},  // no Windows folder name
        {u"%SystemRoot_%", u"%SystemRoot_%"},
    };
    for (const Case& c : cases) EXPECT_EQ(expandStrings(c.text, u"/w"), c.expanded);
    // Without a folder they stay; the environment's own value comes first.
    EXPECT_EQ(expandStrings(u"%SystemRoot%"), u"%SystemRoot%");
    EnvironmentGuard set("SystemRoot", "/opt/windows");
    EXPECT_EQ(expandStrings(u"%SystemRoot%|%windir%", u"/w"), u"/opt/windows|/w");
}

}  // namespace
