#include "platform/files/line_tally.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

using tlvx::platform::LineTally;
using tlvx::platform::tallyLines;
using tlvx::platform::ansi::TextSearch;
using tlvx::test::TempDir;

namespace {

struct TallyCase {
    std::string text;
    std::uint64_t pieces, firstFound, blank, marked;
    bool bareLineFeeds;
};

}  // namespace

// Pieces split at CR LF (a bare LF counting as one), the first text-stream
// line holding "key", and the blank and marked ('#') lines of line input,
// where a lone CR ends a line too.
TEST(LineTally, CountsAllThreeInOneReading) {
    const std::vector<TallyCase> cases = {
        {"", 0, 0, 0, 0, false},
        {"x", 1, 0, 0, 0, false},
        {"#a\r\n\t\r\nkey\r\n", 4, 3, 1, 1, false},
        {"#a\n\t\nkey\n", 4, 3, 1, 1, true},
        {"a\rkey\r#\r", 1, 1, 0, 1, false},
        {"\r\r\n", 2, 0, 2, 0, false},
        {"\n\r", 2, 0, 2, 0, true},
        {" \t #x # \r\n  x#\r\nKEY", 3, 3, 0, 1, false},
        {"k\rey\r\nke\ny", 3, 0, 0, 0, true},
    };
    TempDir dir;
    for (const auto& c : cases) {
        TextSearch search(u"key", false);
        const LineTally t = tallyLines(dir.write("t.txt", c.text), '#', &search);
        EXPECT_TRUE(t.readable) << c.text;
        EXPECT_EQ(t.pieces, c.pieces) << c.text;
        EXPECT_EQ(t.firstFound, c.firstFound) << c.text;
        EXPECT_EQ(t.blank, c.blank) << c.text;
        EXPECT_EQ(t.marked, c.marked) << c.text;
        EXPECT_EQ(t.bareLineFeeds, c.bareLineFeeds) << c.text;
    }
}

TEST(LineTally, SearchesOnlyWhenAskedAndAble) {
    TempDir dir;
    const auto file = dir.write("t.txt", "a\r\nkey\r\n");
    EXPECT_EQ(tallyLines(file, '\'').firstFound, 0u);
    TextSearch unable(u"\u03a9", true);
    EXPECT_EQ(tallyLines(file, '\'', &unable).firstFound, 0u);
    TextSearch able(u"KEY", false);
    EXPECT_EQ(tallyLines(file, '\'', &able).firstFound, 2u);
}

TEST(LineTally, AFileThatCannotBeReadCountsNothing) {
    TempDir dir;
    for (const auto& path : {dir / "missing.txt", dir.path()}) {
        const LineTally t = tallyLines(path, '\'');
        EXPECT_FALSE(t.readable);
        EXPECT_EQ(t.pieces + t.blank + t.marked + t.firstFound, 0u);
    }
}
