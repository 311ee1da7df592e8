#include "platform/files/win_path.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/temp_dir.h"

namespace winpath = tlvx::platform::winpath;
namespace fs = std::filesystem;
using tlvx::test::CurrentDirGuard;
using tlvx::test::TempDir;

TEST(WinPathLexical, MakesBackslashPathsAbsoluteAgainstTheCurrentDirectory) {
    TempDir dir;
    CurrentDirGuard guard(dir.path());
    EXPECT_EQ(winpath::lexical("Forms\\frmMain.frm"), dir.path() / "Forms/frmMain.frm");
    EXPECT_EQ(winpath::lexical(u"a\\\\b\\.\\c\\"), dir.path() / "a/b/c");
    EXPECT_EQ(winpath::lexical("."), dir.path());
    EXPECT_EQ(winpath::lexical("\\etc\\x"), fs::path("/etc/x"));  // a leading '\' is the root
}

TEST(WinPathLexical, CollapsesDotDotBeforeAnyLookup) {
    TempDir dir;
    fs::create_directories(dir / "a/b");
    CurrentDirGuard guard(dir / "a/b");
    // No "VB Projects" folder exists; the text alone decides.
    EXPECT_EQ(winpath::lexical("VB Projects\\..\\x.bas"), dir / "a/b/x.bas");
    EXPECT_EQ(winpath::lexical("..\\x"), dir / "a/x");
    EXPECT_EQ(winpath::lexical("\\..\\..\\x"), fs::path("/x"));  // never above the root
    EXPECT_EQ(winpath::lexical("\\.."), fs::path("/"));
}

TEST(WinPathLexical, DropsTrailingDotsAndSpacesAsWindowsDoes) {
    EXPECT_EQ(winpath::lexical("\\p\\Module1.bas. "), fs::path("/p/Module1.bas"));
    EXPECT_EQ(winpath::lexical("\\p.\\q\\r"), fs::path("/p/q/r"));
    EXPECT_EQ(winpath::lexical("\\p..\\q"), fs::path("/p../q"));
    EXPECT_EQ(winpath::lexical("\\p\\...\\q"), fs::path("/p/.../q"));
}

TEST(WinPathLexical, RefusesDrivesUncNulAndEmptyPaths) {
    for (const std::string_view bad :
         {"C:\\x.bas", "c:x.bas", "Z:", "\\\\server\\share\\x", "//server/share", ""}) {
        EXPECT_FALSE(winpath::lexical(bad)) << bad;
        EXPECT_FALSE(winpath::resolve(bad)) << bad;
        EXPECT_FALSE(winpath::resolveForWrite(bad)) << bad;
    }
    const std::u16string withNul{u'a', u'\0', u'b'};
    EXPECT_FALSE(winpath::lexical(withNul));
    EXPECT_FALSE(winpath::resolve(std::u16string{u'.', u'\0'}));
}

TEST(WinPathResolve, FindsNamesWithoutRegardToCase) {
    TempDir dir;
    const auto file = dir.write("Forms/frmMain.frm", "x");
    CurrentDirGuard guard(dir.path());
    EXPECT_EQ(winpath::resolve("Forms\\frmMain.frm"), file);
    EXPECT_EQ(winpath::resolve("FORMS\\FRMMAIN.FRM"), file);
    EXPECT_EQ(winpath::resolve(u"forms\\FrmMain.Frm"), file);
    EXPECT_EQ(winpath::resolve("fOrMs"), dir / "Forms");
    EXPECT_FALSE(winpath::resolve("Forms\\frmOther.frm"));
    EXPECT_FALSE(winpath::resolve("Other\\frmMain.frm"));
    // A file is no folder to look inside.
    EXPECT_FALSE(winpath::resolve("Forms\\frmMain.frm\\x"));
}

TEST(WinPathResolve, DotDotOverAMissingFolderStillResolves) {
    TempDir dir;
    const auto file = dir.write("Module1.bas", "x");
    CurrentDirGuard guard(dir.path());
    EXPECT_EQ(winpath::resolve("VB Projects\\..\\MODULE1.BAS"), file);
}

TEST(WinPathResolve, MatchesLettersBeyondAsciiAndCodePageNames) {
    TempDir dir;
    const auto utf8Name = dir.write("\xC3\x84rger.bas", "x");  // Ärger.bas
    const auto ansiName = dir.write("caf\xE9.bas", "x");       // café.bas in code page 1252
    CurrentDirGuard guard(dir.path());
    EXPECT_EQ(winpath::resolve(u"\u00E4RGER.BAS"), utf8Name);
    EXPECT_EQ(winpath::resolve(u"CAF\u00C9.BAS"), ansiName);
    EXPECT_EQ(winpath::toUtf16(ansiName.filename()), u"caf\u00E9.bas");
    EXPECT_EQ(winpath::toUtf8(fs::path("/d\xE9j\xE0/ok")), "/d\xC3\xA9j\xC3\xA0/ok");
}

TEST(WinPathResolve, PrefersTheExactNameAndChoosesTheSameVariantEveryTime) {
    TempDir dir;
    dir.write("a.bas", "lower");
    dir.write("A.BAS", "upper");
    CurrentDirGuard guard(dir.path());
    EXPECT_EQ(winpath::resolve("A.BAS"), dir / "A.BAS");
    EXPECT_EQ(winpath::resolve("a.bas"), dir / "a.bas");
    const auto first = winpath::resolve("A.bas");
    ASSERT_TRUE(first);
    EXPECT_EQ(winpath::resolve("a.BAS"), first);
}

TEST(WinPathResolve, SeesFilesCreatedOrRemovedAfterALookup) {
    TempDir dir;
    CurrentDirGuard guard(dir.path());
    dir.write("other.bas", "x");
    EXPECT_FALSE(winpath::resolve("NEW.BAS"));
    const auto created = dir.write("new.bas", "x");
    EXPECT_EQ(winpath::resolve("NEW.BAS"), created);
    fs::remove(created);
    EXPECT_FALSE(winpath::resolve("NEW.BAS"));
    const auto renamed = dir.write("New.Bas", "x");
    EXPECT_EQ(winpath::resolve("NEW.BAS"), renamed);
}

TEST(WinPathResolve, ManyMismatchedNamesInOneFolderStayFast) {
    TempDir dir;
    constexpr int kFiles = 40000;
    for (int i = 0; i < kFiles; ++i) {
        const auto name = dir / ("module" + std::to_string(i) + ".bas");
        const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    CurrentDirGuard guard(dir.path());
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFiles; ++i) {
        const std::string wanted = "MODULE" + std::to_string(i) + ".BAS";
        ASSERT_TRUE(winpath::resolve(wanted)) << wanted;
    }
    // A linear scan per lookup would take minutes; cached listings take well
    // under a second.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(WinPathResolveForWrite, KeepsTheNewNameInTheResolvedFolder) {
    TempDir dir;
    const auto existing = dir.write("Out/Report.txt", "x");
    CurrentDirGuard guard(dir.path());
    EXPECT_EQ(winpath::resolveForWrite("OUT\\REPORT.TXT"), existing);
    EXPECT_EQ(winpath::resolveForWrite("out\\New File.txt"), dir / "Out/New File.txt");
    EXPECT_FALSE(winpath::resolveForWrite("Missing\\New.txt"));
    EXPECT_FALSE(winpath::resolveForWrite("Out\\Report.txt\\New.txt"));
}
