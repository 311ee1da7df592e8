// A module read once gives what the three readings it replaced gave: the
// text-file class's line count and header search (on the module's CR LF twin
// when it has bare line feeds) and a line input scan for comments and blanks.
// The three are run here as they were, through the library's object, and
// compared with countModule on the examples, on generated modules, on the
// edge cases of the rules and on every module below $TLVX_CORPUS_DIR when it
// is set (bench/run.sh points it at generated projects).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/win_path.h"
#include "program/analysis/module_count.h"
#include "tests/support/library_objects.h"
#include "tests/support/separate_counts.h"
#include "tests/support/temp_dir.h"

using namespace tlvx;
using tlvx::test::CurrentDirGuard;
using tlvx::test::TempDir;

namespace {

namespace fs = std::filesystem;

using Counts = test::SeparateCounts;

Counts countOnce(const fs::path& file) {
    const auto m = analysis::countModule(platform::winpath::toUtf16(file));
    EXPECT_TRUE(m.valid) << file;
    return {m.all, m.pure, m.comment, m.blank};
}

class OneReadCountTest : public ::testing::Test {
protected:
    // Writes the module and expects the two ways to agree.
    void expectSame(const std::string& name, std::string_view bytes) {
        const fs::path file = dir.write(name, bytes);
        expectSameFor(file);
    }
    void expectSameFor(const fs::path& file) {
        EXPECT_EQ(countOnce(file),
                  test::countSeparately(file, scratch / "twin", test::libraryObjects().ptxf))
            << file;
    }

    TempDir dir;
    TempDir scratch;
};

constexpr std::string_view kExtensions[] = {".frm", ".bas", ".cls", ".txt"};

// The counting rules at their edges, each as a form, a standard module, a
// class and some other module.
TEST_F(OneReadCountTest, EdgesOfTheRules) {
    const std::vector<std::string> cases = {
        "",
        "\r",
        "\n",
        "\r\n",
        "\r\r\n",
        "\n\r",
        "\r\n\n",
        "a",
        "a\r\nb",
        "a\r\nb\r\n",
        "a\nb\n",
        "a\rb\r",
        "' c\r'\r\r\n",
        // A byte-order mark is text: the line after it is no comment.
        "\xEF\xBB\xBF' c\r\nAttribute VB_Exposed = False\r\n' d\r\n",
        "x\r\nattribute vb_exposed = False\r\ny",
        "x\r\nATTRIBUTE VB_EXPOSED\r\ny\r\n",
        "x\nAttribute VB_Exposed = 0\ny\n",
        // The header text at the very end, without a line end.
        "x\r\n\r\nAttribute VB_Exposed",
        // A lone CR ends a line for line input only: the header is then on
        // text-stream line 1, and a header text cut by it is none.
        "x\rAttribute VB_Exposed\r\ny\r\n",
        "Attribute VB_\rExposed\r\nz\r\n",
        "Attribute VB_\nExposed\r\nz\r\n",
        "\t \t\r\n \t' c\r\nx = 1 ' c\r\nRem c\r\n\f\r\n\xA0\r\n  \r\n",
        std::string("a\0b\r\n'\0\r\n", 9),
        "Attribute VB_Exposed\r\nAttribute VB_Exposed\r\n",
        "\r\r\r",
        "\n\n\n",
        "'\n\t\r\n ",
    };
    for (const auto& text : cases)
        for (const auto ext : kExtensions) expectSame("m" + std::string(ext), text);
}

// Block boundaries: a file is read 64 KiB at a time, so every pair, line and
// header text is put across the first boundary at each offset.
TEST_F(OneReadCountTest, LinesAndPairsSplitByBlockBoundaries) {
    constexpr std::size_t kBlock = 64 * 1024;
    const std::vector<std::string> tails = {
        "Attribute VB_Exposed = False\r\n' c\r\n\t\r\nx\r\n",
        "\r\n\r\n\n\r\r\n' c\r\n",
        "  \t  ' comment after blanks\rAttribute VB_Exposed\n",
    };
    for (const auto& tail : tails) {
        for (std::size_t before = 0; before <= 32; ++before) {
            // Filler of short lines up to `before` bytes short of the boundary.
            std::string text;
            for (int i = 0; text.size() + 8 < kBlock - before; ++i)
                text += (i % 3 == 0 ? "' x\r\n" : i % 3 == 1 ? "y = 1\r\n" : "\t\r\n");
            text.append(kBlock - before - text.size(), ' ');
            text += tail;
            for (const auto ext : {".frm", ".bas"}) expectSame("b" + std::string(ext), text);
        }
    }
}

// Blanks of every length before a comment, a code line or nothing, so that
// lines begin, are decided and end at every place of the scan's 64-byte
// steps, with every kind of line end.
TEST_F(OneReadCountTest, BlanksOfEveryLengthBeforeWhatDecidesALine) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        std::string text = "Attribute VB_Exposed = False\r\n";
        for (std::size_t blanks = 0; blanks < 140; ++blanks)
            for (const char* after : {"' c", "x", ""})
                text += std::string(blanks, blanks % 3 ? ' ' : '\t') + after + end;
        for (const auto ext : {".frm", ".bas"}) expectSame("s" + std::string(ext), text);
    }
}

// Generated modules: lines of a VB6 module in every letter case, with every
// kind of line end, of sizes around and above a block.
TEST_F(OneReadCountTest, GeneratedModules) {
    const std::vector<std::string> lines = {
        "VERSION 5.00",
        "Begin VB.Form frmMain",
        "   Caption         =   \"Main\"  'note",
        "End",
        "Attribute VB_Name = \"frmMain\"",
        "Attribute VB_Exposed = False",
        "attribute vb_exposed = True",
        "Option Explicit",
        "",
        "' a comment",
        "\t' a comment behind a tab",
        "Rem counted as code",
        " \t \t ",
        "    x = x + 1 ' trailing",
        "Private Sub Form_Load()",
        "End Sub",
        "\xC9t\xE9 = \"caf\xE9\"",
    };
    const std::vector<std::string> ends = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\r\r\n"};
    std::mt19937 random(20261209);
    for (int module = 0; module < 120; ++module) {
        const std::size_t size = random() % 3 == 0 ? random() % 200000 : random() % 4000;
        const bool uniformEnds = random() % 2 == 0;
        const std::string& uniform = ends[random() % ends.size()];
        std::string text;
        while (text.size() < size) {
            text += lines[random() % lines.size()];
            text += uniformEnds ? uniform : ends[random() % ends.size()];
        }
        // Sometimes no final line end.
        if (random() % 4 == 0)
            while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
        expectSame("g" + std::to_string(module) + std::string(kExtensions[module % 4]), text);
    }
}

TEST_F(OneReadCountTest, Examples) {
    int modules = 0;
    for (const auto& entry : fs::recursive_directory_iterator(TLVX_EXAMPLES_DIR)) {
        if (!entry.is_regular_file()) continue;
        expectSameFor(entry.path());
        ++modules;
    }
    EXPECT_GT(modules, 5);
}

// Every file of a corpus given from outside, such as the projects
// bench/run.sh generates.
TEST_F(OneReadCountTest, CorpusFromEnvironment) {
    const char* corpus = std::getenv("TLVX_CORPUS_DIR");
    if (!corpus || !*corpus) GTEST_SKIP() << "TLVX_CORPUS_DIR is not set";
    int modules = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        expectSameFor(entry.path());
        ++modules;
    }
    EXPECT_GT(modules, 0);
}

}  // namespace
