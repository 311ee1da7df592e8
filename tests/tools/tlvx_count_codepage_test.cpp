// Projects written in the ANSI code pages of Japan, mainland China, Korea,
// Taiwan and the Cyrillic world, with native folder, module, project and
// group names, counted and recorded in their own code page.

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <sstream>

#include "platform/text/ansi_codepage.h"
#include "program/history/history_browser.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"
#include "tools/tlvx-count/count_command.h"

using tlvx::count::runCountCommand;
using tlvx::test::EnvironmentGuard;
using tlvx::test::TempDir;

namespace {

// UTF-8 to the code page through iconv, independently of the code under test.
std::string encode(int codePage, const std::string& utf8) {
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = ::iconv_open(name.c_str(), "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8;
    std::string out(in.size() * 2 + 8, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size();
    std::size_t room = out.size();
    EXPECT_NE(::iconv(cd, &from, &left, &to, &room), static_cast<std::size_t>(-1)) << utf8;
    ::iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

struct NativeNames {
    int codePage;
    std::string folder;
    std::string module;
    std::string project;
    // Whether the names hold a second byte '\' / a second byte in A-Z.
    bool backslashSecondByte;
    bool letterSecondByte;
};

const NativeNames kProjects[] = {
    {932, "表示", "ソフト計算", "予定表", true, true},
    {936, "乗车", "丟失信息", "数据管理", true, true},
    {949, "보고서", "똠방갂", "계산", false, true},
    {950, "功能", "許可乙", "報表", true, true},
    {1251, "Отчёт", "Модуль", "Склад", false, false},
};

struct CountRun {
    int status;
    std::string out;
    std::string err;
};

class CodePageCountTest : public testing::Test {
protected:
    CodePageCountTest() : tmpDir_("TMPDIR", tmp.path().string()) {}
    ~CodePageCountTest() override { tlvx::platform::ansi::useCodePage(1252); }

    CountRun run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = runCountCommand(args, out, err);
        return {status, out.str(), err.str()};
    }

    // A group whose startup project lies in a folder of its own name and
    // names its modules in a folder beside it; the files on disk bear their
    // names in UTF-8, as a checkout keeps them. Returns the group file.
    std::filesystem::path writeProject(const NativeNames& n) {
        const int cp = n.codePage;
        const std::string folder = encode(cp, n.folder);
        const std::string module = encode(cp, n.module);
        const std::string project = encode(cp, n.project);
        const std::string names = folder + module + project;
        EXPECT_EQ(names.find('\\') != std::string::npos, n.backslashSecondByte);
        EXPECT_EQ(std::ranges::any_of(names, [](char c) { return c >= 'A' && c <= 'Z'; }),
                  n.letterSecondByte);
        tmp.write(n.folder + "/" + n.module + ".bas",
                  "Attribute VB_Name = \"" + module + "\"\r\n' " + folder +
                      "\r\n\r\nSub A()\r\n  x = \"" + module + "\"\r\nEnd Sub\r\n");
        tmp.write(n.folder + "/" + n.module + "Form.frm",
                  "VERSION 5.00\r\nBegin VB.Form F\r\nEnd\r\nAttribute VB_Name = \"F\"\r\n"
                  "Attribute VB_Exposed = False\r\n' " +
                      module + "\r\nPrivate Sub X()\r\nEnd Sub\r\n");
        const std::string dir = "..\\" + folder + "\\";
        // The module's extension and the form's name differ from the files
        // on disk in the case of their ASCII part; the second form is missing.
        std::string vbp = "Type=Exe\r\n";
        vbp += "Module=" + module + "; " + dir + module + ".BAS\r\n";
        vbp += "Form=" + dir + module + "FORM.frm\r\n";
        vbp += "Form=" + dir + module + "2.frm\r\n";
        vbp += "Name=\"" + project + "\"\r\nMajorVer=1\r\nMinorVer=2\r\nRevisionVer=3\r\n";
        tmp.write(n.project + "/" + n.project + ".vbp", vbp);
        return tmp.write("Group.vbg",
                         "VBGROUP 5.0\r\nStartupProject=" + project + "\\" + project + ".vbp\r\n");
    }

    // The listing as it should read: every module found, the missing one Invalid.
    static std::vector<std::string> expectedLines(const NativeNames& n) {
        const std::string dir = "..\\" + n.folder + "\\";
        return {
            "Project\t1/1 " + n.project + "\\" + n.project + ".vbp",
            "Name\t" + n.project,
            "Version\t1.2.3",
            "Module File\tType\tP\tA\tC\tB\tP - C\tP - B\tP - C - B\tA - C\tA - B\tA - C -B",
            dir + n.module + ".BAS\tModule\t6\t7\t1\t1\t5\t5\t4\t6\t6\t5",
            dir + n.module + "2.frm\tInvalid\t\t\t\t\t\t\t\t\t\t",
            dir + n.module + "FORM.frm\tForm\t4\t9\t1\t0\t3\t4\t3\t8\t9\t8",
        };
    }

    static bool holdsLines(const std::string& out, const std::vector<std::string>& wanted) {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return std::ranges::all_of(wanted, [&](const std::string& w) {
            return std::ranges::find(lines, w) != lines.end();
        });
    }

    TempDir tmp;

private:
    EnvironmentGuard tmpDir_;
};

TEST_F(CodePageCountTest, CountsEveryModuleOfANativeProjectInItsCodePage) {
    for (const auto& n : kProjects) {
        SCOPED_TRACE(n.codePage);
        std::filesystem::remove_all(tmp.path() / n.project);
        const auto group = writeProject(n);
        const auto r = run({"--codepage", std::to_string(n.codePage), group.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(holdsLines(r.out, expectedLines(n))) << r.out;
        EXPECT_NE(
            r.out.find("Total: 10 / 16 / 2 / 1 / 8 / 9 / 7 / 14 / 15 / 13 code lines in 3 modules"),
            std::string::npos)
            << r.out;
    }
}

// Read in 1252, the same bytes name no project of the group and no module.
TEST_F(CodePageCountTest, AnotherCodePageFindsNoneOfTheNativeNames) {
    const auto group = writeProject(kProjects[0]);
    const auto r = run({"--codepage", "1252", group.string()});
    EXPECT_FALSE(holdsLines(r.out, {"Name\t予定表"})) << r.out;
}

TEST_F(CodePageCountTest, RecordsAreWrittenInTheCodePageAndReadBack) {
    for (const auto& n : kProjects) {
        SCOPED_TRACE(n.codePage);
        const auto group = writeProject(n);
        const auto history = tmp.path() / ("history" + std::to_string(n.codePage));
        const auto r = run({"--codepage", std::to_string(n.codePage), "--record", "--history",
                            history.string(), group.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string record = TempDir::read(history / n.project / "1.2.3");
        const std::string dir = "..\\" + encode(n.codePage, n.folder) + "\\";
        const std::string module = encode(n.codePage, n.module);
        EXPECT_NE(record.find(dir + module + ".BAS:Module:6:7:1:1:5:5:4:6:6:5\r\n"),
                  std::string::npos)
            << record;
        EXPECT_NE(record.find(dir + module + "2.frm:Invalid:"), std::string::npos) << record;
        // Read back in the same code page, as the history window reads it,
        // the record gives the names again.
        ASSERT_TRUE(tlvx::platform::ansi::useCodePage(n.codePage));
        tlvx::history::HistoryBrowser browser{tlvx::history::VersionHistory(history)};
        browser.loadProjects();
        EXPECT_EQ(browser.projects(), std::vector<std::string>{n.project});
        EXPECT_EQ(browser.versions(), std::vector<std::string>{"1.2.3"});
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < browser.listing().rowCount(); ++i)
            paths.push_back(browser.listing().row(i)[0]);
        EXPECT_NE(std::ranges::find(paths, "..\\" + n.folder + "\\" + n.module + ".BAS"),
                  paths.end());
        EXPECT_EQ(paths.size(), 3u);
    }
}

TEST_F(CodePageCountTest, TheLocaleChoosesWhenNeitherOptionNorVariableDoes) {
    const auto group = writeProject(kProjects[0]);
    const auto byOption = run({"--codepage", "932", group.string()});
    EnvironmentGuard variable("TLVX_CODEPAGE", std::nullopt), all("LC_ALL", std::nullopt),
        ctype("LC_CTYPE", std::nullopt), lang("LANG", "ja_JP.UTF-8");
    const auto byLocale = run({group.string()});
    EXPECT_EQ(byLocale.status, 0) << byLocale.err;
    EXPECT_EQ(byLocale.out, byOption.out);
}

TEST_F(CodePageCountTest, TheOptionGoesBeforeTheVariable) {
    const NativeNames& cyrillic = kProjects[4];
    const auto group = writeProject(cyrillic);
    EnvironmentGuard variable("TLVX_CODEPAGE", "932");
    const auto r = run({"--codepage", "1251", group.string()});
    EXPECT_TRUE(holdsLines(r.out, expectedLines(cyrillic))) << r.out;
    const auto byVariable = run({group.string()});
    EXPECT_FALSE(holdsLines(byVariable.out, expectedLines(cyrillic))) << byVariable.out;
}

TEST_F(CodePageCountTest, AnUnsupportedCodePageIsRefusedInOneLine) {
    const auto group = writeProject(kProjects[0]);
    const struct {
        std::vector<std::string> args;
        std::optional<std::string> variable;
        std::string message;
    } cases[] = {
        {{"--codepage", "65001", group.string()},
         std::nullopt,
         "tlvx-count: --codepage: code page \"65001\" is not supported (supported: 874, 932, 936, "
         "949, 950, 1250-1258)\n"},
        {{"--codepage", "shift_jis", group.string()},
         "932",
         "tlvx-count: --codepage: code page \"shift_jis\" is not supported (supported: 874, 932, "
         "936, 949, 950, 1250-1258)\n"},
        {{group.string()},
         "437",
         "tlvx-count: TLVX_CODEPAGE: code page \"437\" is not supported (supported: 874, 932, "
         "936, 949, 950, 1250-1258)\n"},
    };
    for (const auto& c : cases) {
        EnvironmentGuard variable("TLVX_CODEPAGE", c.variable);
        const auto r = run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message);
    }
    EXPECT_EQ(run({"--codepage"}).status, 2);
}

}  // namespace
