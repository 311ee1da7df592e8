#include "library/txt_file/txt_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/text/ansi_codepage.h"
#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

namespace tlvx::library {
namespace {

namespace fs = std::filesystem;

class TxtFileTest : public ::testing::Test {
protected:
    std::string read(std::string_view name) const { return test::TempDir::read(dir_ / name); }
    void write(std::string_view name, std::string_view bytes) const { dir_.write(name, bytes); }
    std::vector<std::string> folderContent() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    test::TempDir dir_;
    test::CurrentDirGuard cwd_{dir_.path()};
    TxtFile txt_;
};

using Names = std::vector<std::string>;

TEST_F(TxtFileTest, AppendLineEndsEachLineWithCrLfAndContinuesAnOpenLastLine) {
    std::u16string a = u"a", b = u"caf\u00e9";
    txt_.AppendLine(u"new.txt", a);
    txt_.AppendLine(u"new.txt", b);
    EXPECT_EQ(read("new.txt"), "a\r\ncaf\xE9\r\n");
    EXPECT_EQ(b, u"caf\u00e9");

    write("open.txt", "x");
    txt_.AppendLine(u"open.txt", a);
    EXPECT_EQ(read("open.txt"), "xa\r\n");

    txt_.AppendLine(u"nofolder\\f.txt", a);
    EXPECT_FALSE(fs::exists(dir_ / "nofolder"));
}

// On a full disk a line is appended whole or not at all: the next line
// starts on a line of its own, never continues half of one.
TEST_F(TxtFileTest, AppendLineThatDoesNotFitLeavesTheFileAsItWas) {
    write("rec.txt", "first\r\n");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file cannot grow past 20 bytes: the second line breaks off.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{20, 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::u16string fits = u"two", tooLong = u"a line far too long";
        TxtFile().AppendLine(u"rec.txt", fits);
        TxtFile().AppendLine(u"rec.txt", tooLong);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(read("rec.txt"), "first\r\ntwo\r\n");
    std::u16string next = u"next";
    txt_.AppendLine(u"rec.txt", next);
    EXPECT_EQ(read("rec.txt"), "first\r\ntwo\r\nnext\r\n");
}

TEST_F(TxtFileTest, BackslashAndCaseMismatchedPathsNameTheExistingFile) {
    write("Sub/Data.txt", "k\r\nz\r\n");
    std::u16string line = u"a";
    txt_.AppendLine(u"sub\\DATA.TXT", line);
    EXPECT_EQ(txt_.GetLineQty(u"SUB\\data.txt"), 4);
    txt_.DeleteLine(u"sub\\data.TXT", u"z");
    EXPECT_EQ(read("Sub/Data.txt"), "k\r\na\r\n");
    EXPECT_EQ(Names{"Sub"}, folderContent());
}

TEST_F(TxtFileTest, ReadLastLineAndGetLineQtySplitOnlyAtCrLf) {
    struct Case {
        std::string bytes;
        std::u16string lastLine;
        int32_t qty;
    };
    const Case cases[] = {
        {"x\r\ny\r\n", u"y", 3},
        {"x\r\ny", u"y", 2},
        {"y", u"y", 1},
        {"x\r\n\r\n", u"", 3},
        {"", u"", 0},
        {"a\nb\n", u"a\nb\n", 1},
        {"a\rb\r", u"a\rb\r", 1},
        {"x\r\n\xE9t\xE9", u"\u00e9t\u00e9", 2},
    };
    for (const auto& c : cases) {
        write("f.txt", c.bytes);
        EXPECT_EQ(txt_.ReadLastLine(u"f.txt"), c.lastLine) << c.bytes;
        EXPECT_EQ(txt_.GetLineQty(u"f.txt"), c.qty) << c.bytes;
    }
    fs::create_directory(dir_ / "folder.txt");
    for (const auto* name : {u"missing.txt", u"folder.txt"}) {
        EXPECT_EQ(txt_.ReadLastLine(name), u"");
        EXPECT_EQ(txt_.GetLineQty(name), 0);
    }
}

TEST_F(TxtFileTest, GetLineQtyCountsPairsSplitAcrossReadChunks) {
    // Around every 4 KiB boundary: a CR LF pair split by it, a CR before it
    // with no LF after it, an LF after it with no CR before it.
    std::string bytes(1 << 20, 'a');
    std::size_t pairs = 0;
    for (std::size_t k = 1; (k << 12) + 1 < bytes.size(); ++k) {
        const std::size_t boundary = k << 12;
        if (k % 3 != 2) bytes[boundary - 1] = '\r';
        if (k % 3 != 1) bytes[boundary] = '\n';
        pairs += k % 3 == 0;
    }
    write("big.txt", bytes);
    EXPECT_EQ(txt_.GetLineQty(u"big.txt"), static_cast<int32_t>(pairs + 1));
}

TEST_F(TxtFileTest, DeleteLineRemovesEveryLineWhoseKeyMatches) {
    write("f.txt", "a|k|c\r\nk|a\r\nk\r\nx|k\r\n\r\nk||\r\n");
    txt_.DeleteLine(u"f.txt", u"k", u"|", 1);
    EXPECT_EQ(read("f.txt"), "k|a\r\nk\r\n\r\nk||\r\n");

    txt_.DeleteLine(u"f.txt", u"k", u"|", -1);
    EXPECT_EQ(read("f.txt"), "k|a\r\nk\r\n\r\nk||\r\n");

    txt_.DeleteLine(u"f.txt", u"");
    EXPECT_EQ(read("f.txt"), "k|a\r\nk\r\nk||\r\n");
}

// In a double-byte code page a field ends only at a separator character,
// never at a second byte equal to it ('\\' in 表, 'A' in 乙).
TEST_F(TxtFileTest, FieldsOfDoubleByteLinesEndOnlyAtWholeSeparators) {
    struct Restore {
        ~Restore() { platform::ansi::useCodePage(1252); }
    } restore;
    const struct {
        int codePage;
        std::string lines;
        std::u16string separator;
        std::u16string key;
        std::string modified;  // with the key field replaced by "N"
    } cases[] = {
        {932, "\x95\x5C\\k\r\nk\\x\r\n", u"\\", u"k", "\x95\x5C\\N\r\nk\\x\r\n"},
        {932, "\x95\x5C\r\n", u"\\", u"", "\x95\x5C\r\n"},  // 表 alone: one field
        {950,
         "\xA4\x41"
         "Ak\r\nzAk\r\n",
         u"A", u"k",
         "\xA4\x41"
         "AN\r\nzAN\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        ASSERT_TRUE(platform::ansi::useCodePage(c.codePage));
        write("f.txt", c.lines);
        txt_.ModifyLine(u"f.txt", c.key, u"N", c.separator, 1);
        EXPECT_EQ(read("f.txt"), c.modified);
        txt_.DeleteLine(u"f.txt", u"N", c.separator, 1);
        EXPECT_EQ(read("f.txt").find('N'), std::string::npos);
    }
}

TEST_F(TxtFileTest, ModifyLineReplacesTheMatchingFieldOrLine) {
    write("f.txt", "a|k|c\r\na|k|\r\nk|k\r\nk\r\na::k\r\n");
    txt_.ModifyLine(u"f.txt", u"k", u"N", u"|", 1);
    EXPECT_EQ(read("f.txt"), "a|N|c\r\na|N|\r\nk|N\r\nk\r\na::k\r\n");
    txt_.ModifyLine(u"f.txt", u"k", u"N", u"::", 1);
    txt_.ModifyLine(u"f.txt", u"k", u"caf\u00e9");
    EXPECT_EQ(read("f.txt"), "a|N|c\r\na|N|\r\nk|N\r\ncaf\xE9\r\na::N\r\n");
    txt_.ModifyLine(u"f.txt", u"caf\u00e9", u"t\u00e9");
    EXPECT_EQ(read("f.txt"), "a|N|c\r\na|N|\r\nk|N\r\nt\xE9\r\na::N\r\n");
}

TEST_F(TxtFileTest, RewriteEndsEveryLineWithCrLfAndKeepsALoneLineFeedInside) {
    write("f.txt", "a\nb\rc\r\nd");
    txt_.DeleteLine(u"f.txt", u"none");
    EXPECT_EQ(read("f.txt"), "a\nb\r\nc\r\nd\r\n");
}

TEST_F(TxtFileTest, ArgumentsOutsideTheCodePageNeverMatchAQuestionMark) {
    write("f.txt", "?\r\na?b\r\n");
    txt_.DeleteLine(u"f.txt", u"\u03a9");
    txt_.ModifyLine(u"f.txt", u"\u03a9", u"X");
    EXPECT_EQ(read("f.txt"), "?\r\na?b\r\n");
    EXPECT_FALSE(txt_.FindLine(u"f.txt", u"\u03a9"));
    EXPECT_EQ(txt_.GetLineNoByFind(u"f.txt", u"a\u03a9b"), 0);
    EXPECT_EQ(txt_.GetLineNoByFind(u"f.txt", u"A\u03a9B", false), 0);
    // A separator that cannot occur leaves the whole line as field 0.
    txt_.DeleteLine(u"f.txt", u"a?b", u"\u03a9", 0);
    EXPECT_EQ(read("f.txt"), "?\r\n");
}

TEST_F(TxtFileTest, RewritesNeverCreateAFileAndLeaveNoTemporaryFile) {
    txt_.DeleteLine(u"missing.txt", u"");
    txt_.ModifyLine(u"missing.txt", u"", u"x");
    txt_.ModifyLine(u"nofolder\\missing.txt", u"", u"x");
    EXPECT_EQ(Names{}, folderContent());

    write("f.txt", "a\r\n");
    txt_.ModifyLine(u"f.txt", u"a", u"b");
    EXPECT_EQ(Names{"f.txt"}, folderContent());
}

TEST_F(TxtFileTest, FailedRewriteLeavesTheFileAsItWas) {
    const std::string original(4000, 'a');
    write("f.txt", original);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The new file cannot grow past 100 bytes: the rewrite fails midway.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        TxtFile().ModifyLine(u"f.txt", u"none", u"x");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(read("f.txt"), original);
    EXPECT_EQ(Names{"f.txt"}, folderContent());
}

TEST_F(TxtFileTest, ConcurrentRewritesGiveOneWholeResult) {
    std::string lines, allA, allB;
    for (int i = 0; i < 20000; ++i) {
        lines += "x\r\n";
        allA += "A\r\n";
        allB += "B\r\n";
    }
    for (int round = 0; round < 5; ++round) {
        write("f.txt", lines);
        std::thread a([] { TxtFile().ModifyLine(u"f.txt", u"x", u"A"); });
        std::thread b([] { TxtFile().ModifyLine(u"f.txt", u"x", u"B"); });
        a.join();
        b.join();
        const std::string result = read("f.txt");
        EXPECT_TRUE(result == allA || result == allB) << "round " << round;
        EXPECT_EQ(Names{"f.txt"}, folderContent());
    }
}

// Rewriters killed at any moment leave their half-written files; once those
// lay unchanged a while, the next rewrite in the folder removes them, and
// the file itself is always whole: the old text or the new.
TEST_F(TxtFileTest, WhatKilledRewritesLeftIsClearedByTheNext) {
    std::string lines, modified;
    for (int i = 0; i < 100000; ++i) {
        lines += "line " + std::to_string(i % 7) + "\r\n";
        modified += (i % 7 == 3 ? std::string("three") : "line " + std::to_string(i % 7)) + "\r\n";
    }
    write("f.txt", lines);
    std::mt19937 random(11);
    for (int round = 0; round < 8; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool back = false;; back = !back) {
                if (back)
                    TxtFile().ModifyLine(u"f.txt", u"three", u"line 3");
                else
                    TxtFile().ModifyLine(u"f.txt", u"line 3", u"three");
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    for (const auto& name : folderContent()) {
        const timespec longAgo[2] = {{time(nullptr) - 600, 0}, {time(nullptr) - 600, 0}};
        utimensat(AT_FDCWD, (dir_ / name).c_str(), longAgo, 0);
    }
    const std::string now = read("f.txt");
    EXPECT_TRUE(now == lines || now == modified);
    txt_.ModifyLine(u"f.txt", u"three", u"line 3");
    EXPECT_EQ(read("f.txt"), lines);
    EXPECT_EQ(Names{"f.txt"}, folderContent());
}

TEST_F(TxtFileTest, FindLineMatchesAWholeLineWithCase) {
    write("f.txt", "abc\r\nx\ry\r\n");
    EXPECT_TRUE(txt_.FindLine(u"f.txt", u"abc"));
    EXPECT_TRUE(txt_.FindLine(u"f.txt", u"x\ry"));
    EXPECT_FALSE(txt_.FindLine(u"f.txt", u"Abc"));
    EXPECT_FALSE(txt_.FindLine(u"f.txt", u"ab"));
    EXPECT_FALSE(txt_.FindLine(u"missing.txt", u""));
}

TEST_F(TxtFileTest, FindByTextGivesTheFirstLineContainingIt) {
    write("f.txt", "x\r\nattribute vb_exposed = false\r\n");
    EXPECT_EQ(txt_.GetLineNoByFind(u"f.txt", u"Attribute VB_Exposed", false), 2);
    EXPECT_EQ(txt_.GetLineNoByFind(u"f.txt", u"Attribute VB_Exposed", true), 0);
    EXPECT_EQ(txt_.GetLineStrByFind(u"f.txt", u"VB_EXPOSED", false),
              u"attribute vb_exposed = false");

    write("g.txt", "1\r\n2\r\n3\r\nan x\r\n5\r\n6\r\n7\r\n8\r\nx\r\n");
    EXPECT_EQ(txt_.GetLineNoByFind(u"g.txt", u"x"), 4);
    EXPECT_EQ(txt_.GetLineNoByFind(u"g.txt", u""), 1);
    EXPECT_EQ(txt_.GetLineNoByFind(u"g.txt", u"y"), 0);
    EXPECT_EQ(txt_.GetLineStrByFind(u"g.txt", u"y"), u"");

    write("empty.txt", "");
    fs::create_directory(dir_ / "folder.txt");
    for (const auto* name : {u"empty.txt", u"missing.txt", u"folder.txt"}) {
        EXPECT_EQ(txt_.GetLineNoByFind(name, u""), 0);
        EXPECT_EQ(txt_.GetLineStrByFind(name, u""), u"");
    }
}

// In a double-byte code page a second byte may be a letter: a search finds
// characters, never the second half of one, and folds the case of
// characters, never of bytes.
TEST_F(TxtFileTest, FindInADoubleByteCodePageMatchesWholeCharacters) {
    struct Restore {
        ~Restore() { platform::ansi::useCodePage(1252); }
    } restore;
    const struct {
        int codePage;
        std::string lines;
        std::u16string find;
        bool matchCase;
        int32_t line;
    } cases[] = {
        // 乙 is A4 41: its second byte is no 'A'.
        {950, "\xA4\x41\r\nA\r\n", u"A", true, 2},
        {950, "\xA4\x41\r\na\r\n", u"A", false, 2},
        // 算 is 8E 5A and 斯 8E 7A: lowering bytes would make them one.
        {932, "\x8C\x76\x8E\x7A\r\n\x8C\x76\x8E\x5A\r\n", u"\u8a08\u7b97", false, 2},
        // ア is 83 41: "Attribute" does not start inside it.
        {932,
         "\x83"
         "Attribute VB_Exposed\r\nAttribute VB_Exposed\r\n",
         u"Attribute VB_Exposed", false, 2},
        {932, "\x83\x41ttribute\r\nx\r\n", u"Attribute", true, 0},
        {932, "\x82\x60\x95\x5C\r\n", u"\uff41\u8868", false, 1},  // Ａ表 found as ａ表
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codePage);
        ASSERT_TRUE(platform::ansi::useCodePage(c.codePage));
        write("d.txt", c.lines);
        EXPECT_EQ(txt_.GetLineNoByFind(u"d.txt", c.find, c.matchCase), c.line);
    }
}

TEST_F(TxtFileTest, FindIgnoringCaseLowersLettersBeyondAscii) {
    write("f.txt", "a\r\n\xC9T\xC9 \x8A\r\nk\r\n");
    EXPECT_EQ(txt_.GetLineNoByFind(u"f.txt", u"\u00e9t\u00e9 \u0161", false), 2);
    EXPECT_EQ(txt_.GetLineNoByFind(u"f.txt", u"\u00e9t\u00e9", true), 0);
    EXPECT_EQ(txt_.GetLineStrByFind(u"f.txt", u"\u00e9T", false), u"\u00c9T\u00c9 \u0160");
    // KELVIN SIGN lies outside the code page, its lower case 'k' does not.
    EXPECT_EQ(txt_.GetLineNoByFind(u"f.txt", u"\u212a", false), 3);
}

// Long lines are searched in parts: a text that straddles two parts is
// found, the line numbers after a long line stay right, and the line found
// comes back whole.
TEST_F(TxtFileTest, FindByTextSeesTextAcrossThePartsOfALongLine) {
    constexpr std::size_t kPart = 64 * 1024;
    const std::string before(kPart - 5, 'a');
    const std::string line = before + "Attribute VB_Exposed" + std::string(3 * kPart, 'b');
    write("long.frm", "x\r\n" + std::string(5 * kPart, 'c') + "\r\n" + line + "\r\nlast\r\n");
    EXPECT_EQ(txt_.GetLineNoByFind(u"long.frm", u"attribute vb_exposed", false), 3);
    EXPECT_EQ(txt_.GetLineNoByFind(u"long.frm", u"Attribute VB_Exposed"), 3);
    EXPECT_EQ(txt_.GetLineNoByFind(u"long.frm", u"attribute vb_exposed"), 0);
    EXPECT_EQ(txt_.GetLineNoByFind(u"long.frm", u"last"), 4);
    EXPECT_EQ(txt_.GetLineNoByFind(u"long.frm", u"ab"), 0);
    EXPECT_EQ(txt_.GetLineNoByFind(u"long.frm", u"cb"), 0);
    const std::u16string found = txt_.GetLineStrByFind(u"long.frm", u"VB_EXPOSED", false);
    EXPECT_EQ(found.size(), line.size());
    EXPECT_EQ(found.substr(before.size(), 20), u"Attribute VB_Exposed");
}

// Every method on a FIFO, a device, a folder, a socket or a link that names
// nothing: its failure result at once, and the thing left as it was.
class TxtFileNonRegularTest : public TxtFileTest,
                              public ::testing::WithParamInterface<test::NonRegularKind> {
protected:
    void SetUp() override { test::makeNonRegular(GetParam(), dir_ / "odd.txt"); }
    bool unchanged() const { return test::isStillNonRegular(GetParam(), dir_ / "odd.txt"); }
};

TEST_P(TxtFileNonRegularTest, ReadersGiveTheirFailureResults) {
    for (const std::u16string name : {u"odd.txt", u"ODD.TXT"}) {
        EXPECT_EQ(test::runGuarded([&] { return txt_.ReadLastLine(name).empty(); }), "passed");
        EXPECT_EQ(test::runGuarded([&] { return txt_.GetLineQty(name) == 0; }), "passed");
        EXPECT_EQ(test::runGuarded([&] { return !txt_.FindLine(name, u""); }), "passed");
        EXPECT_EQ(test::runGuarded([&] { return txt_.GetLineNoByFind(name, u"") == 0; }), "passed");
        EXPECT_EQ(test::runGuarded([&] { return txt_.GetLineStrByFind(name, u"").empty(); }),
                  "passed");
    }
}

TEST_P(TxtFileNonRegularTest, WritersChangeNothing) {
    EXPECT_EQ(test::runGuarded([&] {
                  std::u16string line = u"x";
                  txt_.AppendLine(u"odd.txt", line);
                  return true;
              }),
              "passed");
    EXPECT_EQ(test::runGuarded([&] {
                  txt_.DeleteLine(u"odd.txt", u"", u"", 0);
                  return true;
              }),
              "passed");
    EXPECT_EQ(test::runGuarded([&] {
                  txt_.ModifyLine(u"odd.txt", u"", u"x", u"", 0);
                  return true;
              }),
              "passed");
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(folderContent(), Names{"odd.txt"});
}

INSTANTIATE_TEST_SUITE_P(Kinds, TxtFileNonRegularTest, ::testing::ValuesIn(test::kNonRegularKinds),
                         [](const auto& kind) { return test::kindName(kind.param); });

// Only what cannot harm the device is tried on the system's own: the
// rewrites are tried on a device node of the test's own above.
TEST_F(TxtFileTest, TheSystemsZeroDeviceGivesTheFailureResults) {
    EXPECT_EQ(test::runGuarded([&] {
                  std::u16string line = u"x";
                  txt_.AppendLine(u"/dev/zero", line);
                  return txt_.GetLineQty(u"/dev/zero") == 0 &&
                         txt_.ReadLastLine(u"/dev/zero").empty() &&
                         txt_.GetLineNoByFind(u"\\dev\\zero", u"") == 0 &&
                         !txt_.FindLine(u"/dev/zero", u"");
              }),
              "passed");
}

}  // namespace
}  // namespace tlvx::library
