#include "library/base64/base64_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tlvx::library {
namespace {

using namespace std::string_literals;

std::u16string encode(const Base64Codec& codec, std::string_view bytes) {
    return codec.encode({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
}

TEST(Base64Codec, EncodesGroupsAndPadding) {
    const Base64Codec codec;
    EXPECT_EQ(encode(codec, "abc"), u"YWJj");
    EXPECT_EQ(encode(codec, "a"), u"YQ==");
    EXPECT_EQ(encode(codec, "ab"), u"YWI=");
    EXPECT_EQ(encode(codec, ""), u"");
    EXPECT_EQ(encode(codec, "\xFB\xFF\xBF\0"s), u"+/+/AA==");
}

TEST(Base64Codec, WrapsAfterEveryComplete76CharacterLine) {
    const Base64Codec codec;
    for (std::size_t size = 0; size <= 400; ++size) {
        const std::string bytes(size, 'x');
        const std::u16string text = encode(codec, bytes);
        ASSERT_EQ(text.size(), Base64Codec::encodedLength(size)) << size;
        const std::size_t plain = (size + 2) / 3 * 4;
        std::u16string expected;
        const std::u16string unwrapped = [&] {
            std::u16string all;
            for (char16_t c : text) {
                if (c != u'\r' && c != u'\n') all += c;
            }
            return all;
        }();
        ASSERT_EQ(unwrapped.size(), plain) << size;
        if (plain <= 76) {
            expected = unwrapped;
        } else {
            for (std::size_t at = 0; at < plain; at += 76) {
                expected += unwrapped.substr(at, 76);
                if (at + 76 <= plain) expected += u"\r\n";
            }
        }
        EXPECT_EQ(text, expected) << size;
    }
    // The cases by length of the encoded text: 76, 80 and 152 characters.
    EXPECT_EQ(encode(codec, std::string(57, 'x')).find(u'\r'), std::u16string::npos);
    const std::u16string eighty = encode(codec, std::string(60, 'x'));
    EXPECT_EQ(eighty.size(), 82u);
    EXPECT_EQ(eighty.substr(76, 2), u"\r\n");
    const std::u16string twoLines = encode(codec, std::string(113, 'x'));  // padded last group
    EXPECT_EQ(twoLines.size(), 156u);
    EXPECT_EQ(twoLines.substr(76, 2), u"\r\n");
    EXPECT_EQ(twoLines.substr(154), u"\r\n");
    EXPECT_EQ(twoLines.substr(150, 4), u"eHg=");
}

TEST(Base64Codec, DecodesWithCrLfAndPaddingRemovedAndOtherCharactersAsZero) {
    const Base64Codec codec;
    EXPECT_EQ(codec.decode(u"YWJj"), "abc");
    EXPECT_EQ(codec.decode(u"YWJ"), "ab");
    EXPECT_EQ(codec.decode(u"YQ"), "a");
    EXPECT_EQ(codec.decode(u"Y"), "");
    EXPECT_EQ(codec.decode(u"Y\r\nW\r\nJj\r\n"), "abc");
    EXPECT_EQ(codec.decode(u"Y=W=J=j"), "abc");
    // A space, a lone LF, a lone CR count as the digit 0.
    EXPECT_EQ(codec.decode(u"YW Jj"), codec.decode(u"YWAJj"));
    EXPECT_NE(codec.decode(u"YW Jj"), "abc");
    EXPECT_EQ(codec.decode(u"\nYWJ"), codec.decode(u"AYWJ"));
    EXPECT_EQ(codec.decode(u"YWJ\r"), codec.decode(u"YWJA"));
    // Pairs are found in the text as given: CR CR LF LF keeps one CR and one LF.
    EXPECT_EQ(codec.decode(u"\r\r\n\nYW"), codec.decode(u"AAYW"));
    EXPECT_EQ(codec.decode(u"\r=\nYW"), codec.decode(u"AAYW"));
    // Only the low 8 bits of a character are looked at.
    EXPECT_EQ(codec.decode(u"\u0159\u0157\u014A\u016A"), "abc");
    // A character whose low byte is that of CR, LF or "=" is a digit.
    EXPECT_EQ(codec.decode(u"\u010D\u010AYWJj"), codec.decode(u"AAYWJj"));
    EXPECT_EQ(codec.decode(u"\u013D"), codec.decode(u"A"));
}

TEST(Base64Codec, RoundTripsRandomBytesOfManySizes) {
    const Base64Codec codec;
    std::mt19937 random(7);
    for (std::size_t size : {1u, 2u, 3u, 56u, 57u, 58u, 1000u, 1024u, 1025u, 100000u}) {
        std::string bytes(size, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        EXPECT_EQ(codec.decode(encode(codec, bytes)), bytes) << size;
    }
    EXPECT_EQ(encode(codec, codec.decode(u"SGVsbG8sIFdvcmxkIQ==")), u"SGVsbG8sIFdvcmxkIQ==");
}

}  // namespace
}  // namespace tlvx::library
