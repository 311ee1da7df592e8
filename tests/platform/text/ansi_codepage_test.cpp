#include "platform/text/ansi_codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace ansi = tlvx::platform::ansi;

namespace {

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

}  // namespace

TEST(AnsiCodePage, EveryByteSurvivesBothRoundTrips) {
    const std::string bytes = allBytes();
    bool lossless = false;
    EXPECT_EQ(ansi::fromUtf16(ansi::toUtf16(bytes), &lossless), bytes);
    EXPECT_TRUE(lossless);
    lossless = false;
    EXPECT_EQ(ansi::fromUtf8(ansi::toUtf8(bytes), &lossless), bytes);
    EXPECT_TRUE(lossless);
}

TEST(AnsiCodePage, DecodesTheWindowsCharacters) {
    EXPECT_EQ(ansi::decodeByte(0x80), u'\u20AC');
    EXPECT_EQ(ansi::decodeByte(0x92), u'\u2019');
    EXPECT_EQ(ansi::decodeByte(0x9F), u'\u0178');
    EXPECT_EQ(ansi::decodeByte(0xE9), u'\u00E9');
    // The bytes the code page leaves undefined keep their C1 control.
    for (const int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(ansi::decodeByte(static_cast<unsigned char>(b)), b);
    EXPECT_EQ(ansi::toUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(AnsiCodePage, UnmappableCharactersBecomeQuestionMarks) {
    bool lossless = true;
    // U+0100, a C1 control the code page puts elsewhere, and one character
    // outside the BMP (one '?', not two).
    EXPECT_EQ(ansi::fromUtf16(u"a\u0100b\u0080c\U0001F600d", &lossless), "a?b?c?d");
    EXPECT_FALSE(lossless);
    lossless = true;
    EXPECT_EQ(ansi::fromUtf8("x\xE2\x82\xACy\xC4\x80", &lossless), "x\x80y?");
    EXPECT_FALSE(lossless);
}

TEST(AnsiCodePage, MalformedUtf8IsNotLossless) {
    bool lossless = true;
    EXPECT_EQ(ansi::fromUtf8("a\xFF"
                             "b\xC3",
                             &lossless),
              "a?b?");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(ansi::fromUtf8("plain", &lossless), "plain");
    EXPECT_TRUE(lossless);
}

TEST(AnsiCodePage, EqualIgnoringCaseUsesTheCodePageLetters) {
    EXPECT_TRUE(ansi::equalIgnoringCase("Name", "NAME"));
    EXPECT_TRUE(ansi::equalIgnoringCase("caf\xE9", "CAF\xC9"));
    EXPECT_TRUE(ansi::equalIgnoringCase("\xFF", "\x9F"));  // ÿ and Ÿ
    EXPECT_TRUE(ansi::equalIgnoringCase("\x9A", "\x8A"));  // š and Š
    EXPECT_FALSE(ansi::equalIgnoringCase("\xDF", "SS"));
    EXPECT_FALSE(ansi::equalIgnoringCase("Name", "Nam"));
    EXPECT_FALSE(ansi::equalIgnoringCase("[", "{"));
    EXPECT_TRUE(ansi::equalIgnoringCase("", ""));
}
