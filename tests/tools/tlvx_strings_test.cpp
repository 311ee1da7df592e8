// The listing tlvx-strings reads, and the tool itself on real files.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/files/string_module.h"
#include "tests/support/temp_dir.h"
#include "tools/tlvx-strings/string_listing.h"

using tlvx::platform::strings::StringTable;
using tlvx::test::TempDir;
using tlvx::tools::formatStringListing;
using tlvx::tools::parseStringListing;

namespace {

std::string messages(const tlvx::tools::ParsedListing& parsed) {
    std::string all;
    for (const auto& error : parsed.errors)
        all += std::to_string(error.line) + ": " + error.message + "\n";
    return all;
}

struct ToolRun {
    int status = -1;
    std::string output;
};

// Runs the tool with `arguments` (already quoted for the shell), stderr
// joined to stdout.
ToolRun runTool(const std::string& arguments) {
    const std::string command = std::string("'") + TLVX_STRINGS_TOOL + "' " + arguments + " 2>&1";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

}  // namespace

TEST(StringListing, ReadsNumbersTextsAndEscapes) {
    const auto parsed = parseStringListing(
        "\xEF\xBB\xBF# charset descriptions\r\n"
        "4611=Western European (Windows)\r\n"
        "\n"
        "   \t\n"
        "  12 = two\\nlines\\tand a tab, a \\\\ and \\u20ac\n"
        "7=\n"
        "8= spaces kept  \n"
        "9=a=b\n"
        "10=caf\xC3\xA9 #not a comment\n"
        "4294967295=last");
    ASSERT_TRUE(parsed.errors.empty()) << messages(parsed);
    const StringTable expected = {
        {4611, u"Western European (Windows)"},
        {12, u" two\nlines\tand a tab, a \\ and \u20AC"},
        {7, u""},
        {8, u" spaces kept  "},
        {9, u"a=b"},
        {10, u"caf\u00E9 #not a comment"},
        {4294967295u, u"last"},
    };
    EXPECT_EQ(parsed.table, expected);
}

TEST(StringListing, TellsEveryBadLineByItsNumber) {
    const auto parsed = parseStringListing(
        "1=one\n"
        "no equals sign\n"
        "x1=letters\n"
        "4294967296=too big\n"
        "-5=negative\n"
        "=no number\n"
        "2=bad \\q escape\n"
        "3=cut \\u12\n"
        "4=ends in \\\n"
        "5=\xFF\xFE\n"
        "1=again\n"
        "6=fine\n");
    std::vector<std::size_t> lines;
    for (const auto& error : parsed.errors) lines.push_back(error.line);
    EXPECT_EQ(lines, (std::vector<std::size_t>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}))
        << messages(parsed);
    EXPECT_NE(parsed.errors.back().message.find("line 1"), std::string::npos);
}

TEST(StringListing, WritesListingsThatReadBackTheSame) {
    const StringTable table = {
        {1, u"plain text \u00E9\u20AC \U0001F600"},
        {2, u"back\\slash\r\nnew line\ttab"},
        {3, std::u16string(u"nul\0bell\a del\x7F", 14)},
        {4, u"lone \xD800 high, lone \xDC00 low"},
        {5, u""},
    };
    const std::string listing = formatStringListing(table);
    EXPECT_EQ(listing.find('\r'), std::string::npos);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 5);
    const auto parsed = parseStringListing(listing);
    EXPECT_TRUE(parsed.errors.empty()) << messages(parsed);
    EXPECT_EQ(parsed.table, table);
}

TEST(StringsTool, BuildsAModuleAndListsIt) {
    TempDir dir;
    const auto listing =
        dir.write("mlang.txt", "4611=Western European (Windows)\n20127=US-ASCII\n");
    const auto module = dir / "mlang.dll";
    const auto built = runTool(quoted(listing) + " " + quoted(module));
    EXPECT_EQ(built.status, 0) << built.output;
    EXPECT_EQ(tlvx::platform::strings::readStringModule(module),
              (StringTable{{4611, u"Western European (Windows)"}, {20127, u"US-ASCII"}}));
    const auto listed = runTool("--list " + quoted(module));
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.output, "4611=Western European (Windows)\n20127=US-ASCII\n");
}

TEST(StringsTool, ABadListingLeavesTheModuleAsItWas) {
    TempDir dir;
    const auto module = dir / "res.dll";
    ASSERT_TRUE(tlvx::platform::strings::writeStringModule(module, {{1, u"kept"}}));
    const auto listing = dir.write("bad.txt", "1=one\n2=bad \\x\n");
    const auto run = runTool(quoted(listing) + " " + quoted(module));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "tlvx-strings: " + listing.string() + ":2: unknown escape \\x\n");
    EXPECT_EQ(tlvx::platform::strings::readStringModule(module), (StringTable{{1, u"kept"}}));

    EXPECT_EQ(runTool(quoted(dir / "missing.txt") + " " + quoted(module)).status, 1);
    EXPECT_EQ(runTool("--list " + quoted(listing)).status, 1);
    EXPECT_EQ(runTool(quoted(listing)).status, 2);
    EXPECT_EQ(runTool("--bogus a b").status, 2);
}
