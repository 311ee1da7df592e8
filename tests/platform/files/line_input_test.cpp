#include "platform/files/line_input.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

using tlvx::platform::LineInput;
using tlvx::test::TempDir;

namespace {

constexpr std::size_t kBlock = 64 * 1024;

struct Read {
    std::vector<std::string> lines;
    bool bareLineFeed = false;
};

Read readLines(std::string_view bytes, bool lineFeedEndsLine = false) {
    TempDir dir;
    LineInput input;
    input.setLineFeedEndsLine(lineFeedEndsLine);
    Read result;
    if (!input.open(dir.write("f.txt", bytes))) {
        ADD_FAILURE() << "open failed";
        return result;
    }
    std::string line;
    while (input.readLine(line)) result.lines.push_back(line);
    EXPECT_TRUE(line.empty());
    result.bareLineFeed = input.sawBareLineFeed();
    return result;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(LineInput, EndsLinesAtCrLfAndLoneCrButNotAtLoneLf) {
    const Read read = readLines("a\r\nb\rc\nd\r\n\r\ne");
    EXPECT_EQ(read.lines, (Lines{"a", "b", "c\nd", "", "e"}));
    EXPECT_TRUE(read.bareLineFeed);
}

TEST(LineInput, LineFeedModeReadsBareLfFilesLikeTheirCrLfTwins) {
    for (std::string_view twin : {"a\r\n\r\nb\r\n", "x", "\r\n", "a\r\nb"}) {
        std::string lf(twin);
        for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
        EXPECT_EQ(readLines(lf, true).lines, readLines(twin, true).lines) << twin;
        EXPECT_EQ(readLines(lf, true).lines, readLines(twin).lines) << twin;
    }
    const Read mixed = readLines("a\r\nb\nc\rd\n", true);
    EXPECT_EQ(mixed.lines, (Lines{"a", "b", "c", "d"}));
    EXPECT_TRUE(mixed.bareLineFeed);
    // A CR at the end of one block and its LF at the start of the next stay
    // one line end.
    std::string boundary(kBlock - 1, 'x');
    boundary += "\r\ny\n";
    EXPECT_EQ(readLines(boundary, true).lines.size(), 2u);
}

TEST(LineInput, CountsTheLastLineAndNoLineForAnEmptyFile) {
    EXPECT_EQ(readLines("").lines, Lines{});
    EXPECT_EQ(readLines("x").lines, Lines{"x"});
    EXPECT_EQ(readLines("x\r\n").lines, Lines{"x"});
    EXPECT_EQ(readLines("x\r").lines, Lines{"x"});  // a CR as the very last byte
    EXPECT_EQ(readLines("\r\n").lines, Lines{""});
    EXPECT_EQ(readLines("\r\r").lines, (Lines{"", ""}));
    EXPECT_EQ(readLines("\n").lines, Lines{"\n"});
}

TEST(LineInput, ReportsOnlyLineFeedsWithoutCarriageReturn) {
    EXPECT_FALSE(readLines("a\r\nb\r\nc").bareLineFeed);
    EXPECT_FALSE(readLines("a\rb\r").bareLineFeed);
    EXPECT_TRUE(readLines("a\r\n\nb").bareLineFeed);
    EXPECT_TRUE(readLines("a\n").bareLineFeed);
}

TEST(LineInput, PairsCrLfAcrossABufferBoundary) {
    std::string bytes(kBlock - 1, 'a');
    bytes += "\r\nb";  // CR is the last byte of the first block, LF the first of the next
    Read read = readLines(bytes);
    EXPECT_EQ(read.lines, (Lines{std::string(kBlock - 1, 'a'), "b"}));
    EXPECT_FALSE(read.bareLineFeed);

    bytes = std::string(kBlock - 1, 'a') + "\rb\nc";
    read = readLines(bytes);
    EXPECT_EQ(read.lines, (Lines{std::string(kBlock - 1, 'a'), "b\nc"}));
    EXPECT_TRUE(read.bareLineFeed);

    bytes = std::string(kBlock - 1, 'a') + "\r";  // the file ends with the block
    EXPECT_EQ(readLines(bytes).lines, Lines{std::string(kBlock - 1, 'a')});
}

TEST(LineInput, KeepsNulBytesAndReadsAVeryLongLine) {
    const std::string withNul("a\0b\r\n\0", 6);
    EXPECT_EQ(readLines(withNul).lines, (Lines{std::string("a\0b", 3), std::string(1, '\0')}));

    std::string big(20 * 1024 * 1024, 'x');
    big[12345] = '\n';
    const Read read = readLines(big + "\r\nend");
    ASSERT_EQ(read.lines.size(), 2u);
    EXPECT_EQ(read.lines[0], big);
    EXPECT_EQ(read.lines[1], "end");
}

TEST(LineInput, RefusesFoldersAndMissingFiles) {
    TempDir dir;
    LineInput input;
    EXPECT_FALSE(input.open(dir.path()));
    EXPECT_FALSE(input.open(dir / "missing.txt"));
    std::string line = "stale";
    EXPECT_FALSE(input.readLine(line));
    EXPECT_TRUE(line.empty());
}

TEST(LineInput, ReopeningStartsAFreshFile) {
    TempDir dir;
    LineInput input;
    ASSERT_TRUE(input.open(dir.write("a.txt", "one\ntwo\r")));
    std::string line;
    ASSERT_TRUE(input.readLine(line));
    EXPECT_TRUE(input.sawBareLineFeed());
    ASSERT_TRUE(input.open(dir.write("b.txt", "\nthree")));
    EXPECT_FALSE(input.sawBareLineFeed());
    // The CR that ended the other file's line does not swallow this LF.
    ASSERT_TRUE(input.readLine(line));
    EXPECT_EQ(line, "\nthree");
}

// Read in parts, every file gives the lines readLine gives, each in parts of
// at most the bound and one block.
TEST(LineInput, PartsJoinToTheLinesAndStayWithinTheirBound) {
    TempDir dir;
    const std::string longLine(5 * kBlock + 3, 'p');
    for (const std::string& bytes :
         {std::string(), std::string("a\r\n\r\nb"), std::string("a\rb\nc\r\n"),
          std::string(kBlock - 1, 'q') + "\r\nz", longLine, longLine + "\r\n" + longLine + "\r",
          "x\r\n" + longLine + "\r\n\r\n"}) {
        for (const bool lineFeedEndsLine : {false, true}) {
            const Lines want = readLines(bytes, lineFeedEndsLine).lines;
            LineInput input;
            input.setLineFeedEndsLine(lineFeedEndsLine);
            ASSERT_TRUE(input.open(dir.write("f.txt", bytes)));
            Lines got;
            std::string part, line;
            bool complete = false;
            while (input.readLinePart(part, 1000, complete)) {
                EXPECT_LE(part.size(), 1000 + kBlock);
                line += part;
                if (complete) got.push_back(std::exchange(line, {}));
            }
            EXPECT_TRUE(line.empty());
            EXPECT_EQ(got, want) << bytes.size() << " bytes";
        }
    }
}
