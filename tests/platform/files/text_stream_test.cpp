#include "platform/files/text_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

using tlvx::platform::readAll;
using tlvx::platform::TextStream;
using tlvx::test::TempDir;

namespace {

constexpr std::size_t kBlock = 64 * 1024;
using Lines = std::vector<std::string>;

Lines readLines(std::string_view bytes) {
    TempDir dir;
    TextStream stream;
    Lines lines;
    if (!stream.open(dir.write("f.txt", bytes))) {
        ADD_FAILURE() << "open failed";
        return lines;
    }
    while (!stream.atEndOfStream()) lines.push_back(stream.readLine());
    EXPECT_EQ(stream.readLine(), "");
    return lines;
}

}  // namespace

TEST(TextStreamReadAll, ReturnsEveryByteOrNothing) {
    TempDir dir;
    const std::string bytes("a\r\n\0b\r", 6);
    EXPECT_EQ(readAll(dir.write("f.txt", bytes)), bytes);
    EXPECT_EQ(readAll(dir.write("empty.txt", "")), "");
    EXPECT_EQ(readAll(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(readAll(dir.path()), std::nullopt);
    const std::string big(3 * kBlock + 7, 'q');
    EXPECT_EQ(readAll(dir.write("big.txt", big)), big);
}

TEST(TextStream, OnlyCrLfEndsALine) {
    EXPECT_EQ(readLines("a\r\nb\rc\nd\r\n"), (Lines{"a", "b\rc\nd"}));
    EXPECT_EQ(readLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(readLines("x"), Lines{"x"});
    EXPECT_EQ(readLines("x\r"), Lines{"x\r"});
    EXPECT_EQ(readLines("\r\r\n"), Lines{"\r"});
    EXPECT_EQ(readLines(""), Lines{});
}

TEST(TextStream, PairsCrLfAcrossABufferBoundary) {
    const std::string head(kBlock - 1, 'a');
    EXPECT_EQ(readLines(head + "\r\nb"), (Lines{head, "b"}));
    EXPECT_EQ(readLines(head + "\rb"), Lines{head + "\rb"});
    EXPECT_EQ(readLines(head + "\r"), Lines{head + "\r"});
    EXPECT_EQ(readLines(head + "\r\r\nz"), (Lines{head + "\r", "z"}));
}

TEST(TextStream, KeepsNulBytesAndReadsAVeryLongLine) {
    EXPECT_EQ(readLines(std::string("a\0\r\nb", 5)), (Lines{std::string("a\0", 2), "b"}));
    const std::string big(20 * 1024 * 1024, 'y');
    EXPECT_EQ(readLines(big + "\r\n" + big), (Lines{big, big}));
}

TEST(TextStream, RefusesFoldersAndIsAtItsEndWhenNothingIsOpen) {
    TempDir dir;
    TextStream stream;
    EXPECT_FALSE(stream.open(dir.path()));
    EXPECT_FALSE(stream.open(dir / "missing.txt"));
    EXPECT_TRUE(stream.atEndOfStream());
    EXPECT_EQ(stream.readLine(), "");
}

TEST(TextStreamLastLine, ReadsTheLineAfterTheLastCrLfFromTheEnd) {
    TempDir dir;
    const auto last = [&](std::string_view bytes) {
        return tlvx::platform::readLastLine(dir.write("f.txt", bytes));
    };
    EXPECT_EQ(last("x\r\ny\r\n"), "y");
    EXPECT_EQ(last("y"), "y");
    EXPECT_EQ(last("x\r\n\r\n"), "");
    EXPECT_EQ(last("\r\n"), "");
    EXPECT_EQ(last(""), "");
    EXPECT_EQ(last("\n"), "\n");
    EXPECT_EQ(last("a\rb\nc"), "a\rb\nc");
    EXPECT_EQ(tlvx::platform::readLastLine(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(tlvx::platform::readLastLine(dir.path()), std::nullopt);
}

TEST(TextStreamLastLine, FindsPairsSplitBetweenBlocksAndLinesLongerThanABlock) {
    TempDir dir;
    const auto last = [&](const std::string& bytes) {
        return tlvx::platform::readLastLine(dir.write("f.txt", bytes)).value_or("<none>");
    };
    const std::string tail(kBlock - 1, 't');
    // The CR ends one block from the end and its LF starts the next.
    EXPECT_EQ(last("head\r\n" + tail + "\r\n" + tail), tail);
    EXPECT_EQ(last("a\r\nb\r" + std::string(kBlock, 'z')), "b\r" + std::string(kBlock, 'z'));
    const std::string longLine(3 * kBlock + 5, 'L');
    EXPECT_EQ(last("first\r\n" + longLine + "\r\n"), longLine);
    EXPECT_EQ(last(longLine), longLine);
}

// Read in parts, every file gives the lines readLine gives, each in parts of
// at most the bound and one block.
TEST(TextStream, PartsJoinToTheLinesAndStayWithinTheirBound) {
    TempDir dir;
    const std::string longLine(5 * kBlock + 3, 'p');
    for (const std::string& bytes :
         {std::string(), std::string("a\r\n\r\nb"), std::string("a\rb\nc\r\n"),
          std::string(kBlock - 1, 'q') + "\r\nz", std::string(kBlock - 1, 'q') + "\r", longLine,
          longLine + "\r\n" + longLine + "\r", "x\r\n" + longLine + "\r\n\r\n"}) {
        const Lines want = readLines(bytes);
        TextStream stream;
        ASSERT_TRUE(stream.open(dir.write("f.txt", bytes)));
        Lines got;
        std::string part, line;
        while (!stream.atEndOfStream()) {
            bool complete = false;
            while (!complete) {
                stream.readLinePart(part, 1000, complete);
                EXPECT_LE(part.size(), 1001 + kBlock);
                line += part;
            }
            got.push_back(std::exchange(line, {}));
        }
        EXPECT_EQ(got, want) << bytes.size() << " bytes";
    }
}
