#include "library/txt_file/encoding_detection.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tlvx::library {
namespace {

using namespace std::string_literals;

Encoding judge(std::string_view bytes, std::size_t block = std::string_view::npos) {
    EncodingScanner scanner;
    for (std::size_t at = 0; at < bytes.size(); at += block) {
        scanner.feed(bytes.substr(at, block));
        if (block == std::string_view::npos) break;
    }
    return scanner.result();
}

TEST(EncodingDetection, MarksDecideAtOnce) {
    EXPECT_EQ(judge("\xFF\xFE"
                    "a\0"s),
              Encoding::Unicode);
    EXPECT_EQ(judge("\xFE\xFF\0a"s), Encoding::UnicodeBigEndian);
    EXPECT_EQ(judge("\xEF\xBB\xBF"
                    "abc"),
              Encoding::Utf8);
    EXPECT_EQ(judge("\xEF\xBB"
                    "\x80\x80\xFF"),
              Encoding::Utf8);  // third byte not looked at
    EXPECT_EQ(judge("\xEF\xBB"), Encoding::Utf8);
    EXPECT_EQ(judge("\xFF\xFE"), Encoding::Unicode);
    EncodingScanner scanner;
    scanner.feed("\xFF");
    EXPECT_FALSE(scanner.decided());
    scanner.feed("\xFE");
    EXPECT_TRUE(scanner.decided());
}

TEST(EncodingDetection, ScansForWellFormedSequences) {
    EXPECT_EQ(judge(""), Encoding::Ansi);
    EXPECT_EQ(judge("x"), Encoding::Ansi);
    EXPECT_EQ(judge("\xC3"), Encoding::Ansi);
    EXPECT_EQ(judge("plain 7-bit text\r\n"), Encoding::Ansi);
    EXPECT_EQ(judge("caf\xC3\xA9 au lait"), Encoding::Utf8);
    EXPECT_EQ(judge("\xE2\x82\xAC 5"), Encoding::Utf8);
    EXPECT_EQ(judge("\xF0\x9F\x98\x80!"), Encoding::Utf8);
    // The historical 5- and 6-byte forms, overlong forms and surrogates pass.
    EXPECT_EQ(judge("\xF8\x88\x80\x80\x80 \xFC\x84\x80\x80\x80\x80"), Encoding::Utf8);
    EXPECT_EQ(judge("\xC0\x80 \xED\xA0\x80"), Encoding::Utf8);
    // Latin-1 text, a stray continuation byte, FE, FF.
    EXPECT_EQ(judge("caf\xE9 au lait"), Encoding::Ansi);
    EXPECT_EQ(judge("a\x80"
                    "bcdef"),
              Encoding::Ansi);
    EXPECT_EQ(judge("\xC3\xA9\xFE  "), Encoding::Ansi);
    EXPECT_EQ(judge("\xC3\xA9 \xE2\x82z  "), Encoding::Ansi);  // a lead without its bytes
    EXPECT_EQ(judge("ab\xFF"), Encoding::Ansi);
    // Everything is scanned: a fault after a megabyte of UTF-8 still counts.
    EXPECT_EQ(judge(std::string(1 << 20, 'a') + "\xC3\xA9" + std::string(100, 'b') + "\x80"),
              Encoding::Ansi);
}

TEST(EncodingDetection, ASequenceCutByTheEndCountsWhenTheFileHoldsUtf8Already) {
    EXPECT_EQ(judge("\xC3\xA9t\xC3"), Encoding::Utf8);
    EXPECT_EQ(judge("\xC3\xA9t\xE2\x82"), Encoding::Utf8);
    EXPECT_EQ(judge("\xC3\xA9t\xE2z"), Encoding::Ansi);  // the bytes that are there must fit
    EXPECT_EQ(judge("caf\xE9"), Encoding::Ansi);
    EXPECT_EQ(judge("abc\xE2\x82"), Encoding::Ansi);
}

TEST(EncodingDetection, BlocksOfAnySizeGiveTheWholeFilesJudgement) {
    std::mt19937 random(11);
    const std::string pieces[] = {"a",    "bc ",  "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                  "\xE9", "\x80", "\xC3"};
    for (int round = 0; round < 400; ++round) {
        std::string file;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            // Mostly well-formed pieces, so that both judgements occur.
            const std::size_t pick = random() % 20;
            file += pieces[pick < 5 ? pick : pick < 18 ? 0 : pick - 13];
        }
        const Encoding whole = judge(file);
        for (std::size_t block : {1u, 2u, 3u, 5u, 7u}) {
            EXPECT_EQ(judge(file, block), whole) << testing::PrintToString(file) << " " << block;
        }
    }
}

}  // namespace
}  // namespace tlvx::library
