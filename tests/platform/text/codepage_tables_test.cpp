// The code pages other than 1252: characters both ways, undefined bytes,
// double-byte characters whose second byte is '\' or a letter.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/text/ansi_codepage.h"
#include "platform/text/codepage_tables.h"

namespace ansi = tlvx::platform::ansi;

namespace {

// Puts 1252 back, so that no other test of the program sees the code page.
class CodePageTest : public testing::Test {
protected:
    void use(int codePage) { ASSERT_TRUE(ansi::useCodePage(codePage)) << codePage; }
    ~CodePageTest() override { ansi::useCodePage(1252); }
};

struct Sample {
    int codePage;
    std::string bytes;
    std::string utf8;
};

TEST_F(CodePageTest, DecodesAndEncodesTheNativeCharacters) {
    const Sample samples[] = {
        // Second byte 0x5C: one character, never a separator.
        {932, "\x95\x5C\x8E\xA6", "表示"},
        {932, "\x83\x5C\x83\x74\x83\x67", "ソフト"},
        // Second bytes 'v' and 'Z'.
        {932, "\x8C\x76\x8E\x5A", "計算"},
        {932, "\xB1\xB2", "ｱｲ"},  // half-width katakana are single bytes
        {932, "a\\b", "a\\b"},    // 0x5C alone is the backslash
        {936, "\x81\x5C\xB3\xB5", "乗车"},
        {936, "\xB8\xF6\xC8\xCB\xD0\xC5\xCF\xA2", "个人信息"},
        {936, "\x80", "€"},
        {949, "\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF", "똠방각하"},
        {949, "\x81\x41", "갂"},
        {950, "\xA5\x5C\xAF\xE0", "功能"},
        {950, "\xB3\x5C\xA5\x69", "許可"},
        {950, "\xA4\x41", "乙"},
        {1251, "\xCE\xF2\xF7\xB8\xF2", "Отчёт"},
        {1250, "\x8A\xE8\xF8", "Ščř"},
    };
    for (const auto& s : samples) {
        SCOPED_TRACE(s.codePage);
        use(s.codePage);
        EXPECT_EQ(ansi::toUtf8(s.bytes), s.utf8);
        bool lossless = false;
        EXPECT_EQ(ansi::fromUtf8(s.utf8, &lossless), s.bytes);
        EXPECT_TRUE(lossless);
    }
}

// Every byte, every lead byte with every byte after it, and a lead byte at
// the end keep their text through a trip to bytes and back, and CR and LF
// stay where they were. The bytes come back as they were, except where the
// code page has two codings of one character (932's IBM rows, a few of 950): such a
// character is written in the coding Windows writes.
TEST_F(CodePageTest, EveryByteSequenceSurvivesTheRoundTrip) {
    for (const int cp : {874, 932, 936, 949, 950, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258}) {
        SCOPED_TRACE(cp);
        use(cp);
        std::string all;
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                all.push_back(static_cast<char>(a));
                all.push_back(static_cast<char>(b));
                all.push_back('\r');
            }
        }
        all.push_back('\x81');  // a lead byte cut off by the end
        bool lossless = false;
        const std::u16string text = ansi::toUtf16(all);
        const std::string bytes = ansi::fromUtf16(text, &lossless);
        EXPECT_TRUE(lossless);
        EXPECT_TRUE(ansi::toUtf16(bytes) == text);
        EXPECT_TRUE(ansi::fromUtf8(ansi::toUtf8(all)) == bytes);
        EXPECT_EQ(std::count(text.begin(), text.end(), u'\r'),
                  std::count(all.begin(), all.end(), '\r'));
        std::size_t changed = 0;
        for (std::size_t i = 0; i < all.size() && i < bytes.size(); ++i)
            changed += all[i] != bytes[i];
        EXPECT_EQ(bytes.size(), all.size());
        if (cp != 932 && cp != 950) {
            EXPECT_EQ(changed, 0u);
        }
        // A CR or LF after a lead byte is never taken as its second byte.
        for (const std::string line : {"\x81\r\n", "\x95\n", "\xFE\r"}) {
            const std::u16string decoded = ansi::toUtf16(line);
            EXPECT_EQ(decoded.back(), line.back());
        }
    }
}

TEST_F(CodePageTest, UndefinedBytesKeepAStableStandIn) {
    const struct {
        int codePage;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {1251, "\x98", u"\u0098"},      // C1 control, as 1252's five
        {1253, "\xAA", u"\U000F00AA"},  // above 0x9F: private use
        {932, "\xA0\xFD", u"\U000F00A0\U000F00FD"},
        {932, "\xF0\x40", u"\uE000"},      // user-defined row as iconv has it
        {950, "\x81\x40", u"\U000F8140"},  // a pair iconv does not know
        {949, "\xC9\xA1", u"\U000FC9A1"},
        {936, "\x81\r", u"\U000F0081\r"},  // a lead byte without its second
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        use(c.codePage);
        EXPECT_EQ(ansi::toUtf16(c.bytes), c.text);
        EXPECT_EQ(ansi::fromUtf16(c.text), c.bytes);
    }
    // A stand-in that names no undefined sequence of this code page is not held.
    use(932);
    bool lossless = true;
    EXPECT_EQ(ansi::fromUtf16(u"\U000F0041\U000F955C", &lossless), "??");
    EXPECT_FALSE(lossless);
    EXPECT_FALSE(ansi::holds(U'\U000F0041'));
    EXPECT_TRUE(ansi::holds(U'\U000F00A0'));
}

TEST_F(CodePageTest, CharactersTheCodePageLacksBecomeQuestionMarks) {
    const struct {
        int codePage;
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {932, "a€b", "a?b"},
        {936, "ก", "?"},
        {1251, "é表", "??"},
        {950, "😀", "?"},  // one character outside the BMP is one '?'
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        use(c.codePage);
        bool lossless = true;
        EXPECT_EQ(ansi::fromUtf8(c.utf8, &lossless), c.bytes);
        EXPECT_FALSE(lossless);
        EXPECT_EQ(ansi::fromUtf16(ansi::toUtf16(c.bytes) + u"\xD800"), c.bytes + "?");
    }
}

// Letter case is folded on characters: a second byte in A-Z is no letter.
TEST_F(CodePageTest, ComparesWithoutRegardToCaseOnCharacters) {
    const struct {
        int codePage;
        std::string a;
        std::string b;
        bool equal;
    } cases[] = {
        {932, "\x8C\x76\x8E\x5A", "\x8C\x56\x8E\x7A", false},  // 計算 and two other words
        {932, "\x8C\x76\x8E\x5A.BAS", "\x8C\x76\x8E\x5A.bas", true},
        {932, "\x82\x60", "\x82\x81", true},   // full-width Ａ and ａ
        {949, "\x81\x41", "\x81\x61", false},  // 갂 and 갡
        {950, "\xA4\x41x", "\xA4\x41X", true},
        {1251, "\xCE\xF2\xF7\xB8\xF2", "\xEE\xD2\xD7\xA8\xD2", true},  // Отчёт, оТЧЁТ
        {1250, "\x8A", "\x9A", true},                                  // Š and š
        {1253, "\xC1", "\xE1", true},                                  // Α and α
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        use(c.codePage);
        EXPECT_EQ(ansi::equalIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(ansi::startsWithIgnoringCase(c.a + "=x", c.b + "="), c.equal);
    }
    use(932);
    // "FORM=" is not the start of a line whose first character's second
    // byte is 'F'.
    EXPECT_FALSE(ansi::startsWithIgnoringCase("\x83\x46ORM=a", "form="));
    EXPECT_TRUE(ansi::startsWithIgnoringCase("FoRm=\x95\x5C", "form="));
    EXPECT_FALSE(ansi::startsWithIgnoringCase("\x83", "\x83\x46"));
}

TEST_F(CodePageTest, OnlySingleByteCodePagesLowerByteByByte) {
    use(932);
    EXPECT_TRUE(ansi::isDoubleByte());
    EXPECT_EQ(ansi::lowerBytes(), nullptr);
    use(1251);
    EXPECT_FALSE(ansi::isDoubleByte());
    ASSERT_NE(ansi::lowerBytes(), nullptr);
    EXPECT_EQ((*ansi::lowerBytes())[0xC0], 0xE0);  // А to а
    EXPECT_EQ((*ansi::lowerBytes())[0x41], 0x61);
    use(1252);
    EXPECT_EQ((*ansi::lowerBytes())[0xC9], 0xE9);
    EXPECT_EQ((*ansi::lowerBytes())[0x8A], 0x9A);
}

TEST_F(CodePageTest, OnlyTheSupportedCodePagesCanBeUsed) {
    use(949);
    for (const int cp : {0, 437, 1200, 1259, 65001, -1}) EXPECT_FALSE(ansi::useCodePage(cp)) << cp;
    EXPECT_EQ(ansi::codePage(), 949);
    EXPECT_EQ(ansi::CodePageTable::of(437), nullptr);
    // Each code page's tables are made once.
    EXPECT_EQ(ansi::CodePageTable::of(932), ansi::CodePageTable::of(932));
}

// Whatever the code page in use, text that names 1252 is 1252.
TEST_F(CodePageTest, TheFixed1252ConversionIgnoresTheSetting) {
    use(932);
    EXPECT_EQ(ansi::cp1252ToUtf16("\x95\x5C"), u"\u2022\\");
    EXPECT_EQ(ansi::utf16ToCp1252(u"\u00E9\u8868"), "\xE9?");
}

}  // namespace
