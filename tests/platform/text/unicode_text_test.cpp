#include "platform/text/unicode_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace unicode = tlvx::platform::unicode;

namespace {
int sign(int v) {
    return (v > 0) - (v < 0);
}
}  // namespace

TEST(UnicodeText, ConvertsBothWaysIncludingSupplementaryCharacters) {
    const std::u16string text = u"a\u00E9\u20AC\U0001F600z";
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
    EXPECT_EQ(unicode::utf16ToUtf8(text), utf8);
    EXPECT_EQ(unicode::utf8ToUtf16(utf8), text);
    EXPECT_TRUE(unicode::isValidUtf8(utf8));
    EXPECT_TRUE(unicode::isValidUtf8("\xEF\xBF\xBD"));
}

TEST(UnicodeText, MalformedUtf8BecomesOneReplacementPerBadStretch) {
    const struct {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"a\x80"
         "b",
         u"a\uFFFDb"},                                      // stray continuation byte
        {"\xC0\x80", u"\uFFFD\uFFFD"},                      // overlong form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"x\xE2\x82", u"x\uFFFD"},                          // cut off at the end
        {"\xE2\x82y", u"\uFFFDy"},                          // cut off by an ASCII byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unicode::utf8ToUtf16(c.bytes), c.expected) << c.bytes;
        EXPECT_FALSE(unicode::isValidUtf8(c.bytes)) << c.bytes;
    }
}

TEST(UnicodeText, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(unicode::utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(unicode::utf16ToUtf8(std::u16string{char16_t(0xDC00)}), "\xEF\xBF\xBD");
}

TEST(UnicodeText, ChangesCaseBeyondAscii) {
    EXPECT_EQ(unicode::toLower(u"\u00C0BC \u0391\u03A3 \U00010400"),
              u"\u00E0bc \u03B1\u03C3 \U00010428");
    EXPECT_EQ(unicode::toUpper(u"\u00E0bc \u00FF \U00010428"), u"\u00C0BC \u0178 \U00010400");
    EXPECT_EQ(unicode::toUpper(char32_t{0x0161}), char32_t{0x0160});
    EXPECT_EQ(unicode::toLower(char32_t{'Q'}), char32_t{'q'});
    // A lone surrogate is kept, not turned into another character.
    const std::u16string lone{char16_t(0xD801), u'a'};
    EXPECT_EQ(unicode::toUpper(lone), (std::u16string{char16_t(0xD801), u'A'}));
}

TEST(UnicodeText, ComparesByUpperCaseForm) {
    EXPECT_EQ(unicode::compareIgnoringCase(u"Form1.FRM", u"form1.frm"), 0);
    EXPECT_TRUE(unicode::equalIgnoringCase("\xC3\x84rger.bas", "\xC3\xA4RGER.BAS"));
    EXPECT_LT(unicode::compareIgnoringCase(u"a", u"B"), 0);
    // '_' lies between the upper- and the lower-case letters: by the
    // upper-case form it sorts after every letter.
    EXPECT_GT(unicode::compareIgnoringCase(u"_", u"z"), 0);
    EXPECT_GT(unicode::compareIgnoringCase("_", "z"), 0);
    EXPECT_LT(unicode::compareIgnoringCase(u"abc", u"ABCD"), 0);
    EXPECT_FALSE(unicode::equalIgnoringCase("abc", "abcd"));
}

TEST(UnicodeText, Utf8AndUtf16ComparisonsAgree) {
    // Code point order, also where UTF-16 code units would order otherwise
    // (U+FF5E before U+10000).
    const std::vector<std::u16string> texts = {
        u"",           u"a",          u"A",          u"_",       u"\u00E9", u"\u00C9x", u"\uFF5E",
        u"\U00010000", u"\U00010428", u"\U00010400", u"z\u0131", u"ZI",     u"\u0178",  u"\u00FF",
    };
    for (const auto& a : texts) {
        for (const auto& b : texts) {
            EXPECT_EQ(sign(unicode::compareIgnoringCase(a, b)),
                      sign(unicode::compareIgnoringCase(unicode::utf16ToUtf8(a),
                                                        unicode::utf16ToUtf8(b))))
                << unicode::utf16ToUtf8(a) << " / " << unicode::utf16ToUtf8(b);
            EXPECT_EQ(sign(unicode::compareIgnoringCase(a, b)),
                      -sign(unicode::compareIgnoringCase(b, a)));
        }
    }
    EXPECT_LT(unicode::compareIgnoringCase(u"\uFF5E", u"\U00010000"), 0);
}
