#include "program/analysis/module_count.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

using namespace tlvx::analysis;
using tlvx::test::CurrentDirGuard;
using tlvx::test::TempDir;

namespace {

std::string joinLines(std::initializer_list<std::string_view> lines, std::string_view end,
                      bool finalEnd = true) {
    std::string text;
    std::size_t i = 0;
    for (auto l : lines) {
        text += l;
        if (++i < lines.size() || finalEnd) text += end;
    }
    return text;
}

std::string replaceAll(std::string s, std::string_view from, std::string_view to) {
    for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
    return s;
}

class ModuleCountTest : public ::testing::Test {
protected:
    ModuleCount count(std::string_view name, std::string_view bytes) {
        dir.write(name, bytes);
        CurrentDirGuard cwd(dir.path());
        return countModule(std::u16string(name.begin(), name.end()));
    }
    ModuleCount countExisting(const std::u16string& path) {
        CurrentDirGuard cwd(dir.path());
        return countModule(path);
    }

    TempDir dir;
};

}  // namespace

TEST(ModuleType, ComesFromTheLastFourCharacters) {
    EXPECT_EQ(moduleType(u"a.frm"), "Form");
    EXPECT_EQ(moduleType(u"Module1.BAS"), "Module");
    EXPECT_EQ(moduleType(u"x\\c.Cls"), "ClassModule");
    EXPECT_EQ(moduleType(u"c.ctl"), "UserControl");
    EXPECT_EQ(moduleType(u"p.pag"), "PropertyPage");
    EXPECT_EQ(moduleType(u"d.DSR"), "Designer");
    EXPECT_EQ(moduleType(u"d.dob"), "UserDocument");
    EXPECT_EQ(moduleType(u"Main.frmx"), "OtherModule");
    EXPECT_EQ(moduleType(u"bas"), "OtherModule");
    EXPECT_EQ(moduleType(u""), "OtherModule");
}

TEST_F(ModuleCountTest, StandardModuleHeaderIsOneLine) {
    // 11 lines ending with CR LF: 2 comments, 3 blanks.
    const auto m =
        count("m.bas", joinLines({"Attribute VB_Name = \"m\"", "' one", "", "x = 1", "  \t ",
                                  "\t' two", "y = 2 ' trailing", "Rem note", "", "z = 3", "End"},
                                 "\r\n"));
    ASSERT_TRUE(m.valid);
    EXPECT_EQ(m.type, "Module");
    EXPECT_EQ(m.all, 12);
    EXPECT_EQ(m.pure, 11);
    EXPECT_EQ(m.comment, 2);
    EXPECT_EQ(m.blank, 3);
}

TEST_F(ModuleCountTest, HeaderEndsAtTheExposedAttributeInAnyCase) {
    std::string text;
    for (int i = 1; i <= 100; ++i)
        text += (i == 40 ? std::string("attribute vb_exposed = False") : "x" + std::to_string(i)) +
                "\r\n";
    const auto m = count("f.frm", text);
    EXPECT_EQ(m.all, 101);
    EXPECT_EQ(m.pure, 61);
    // Without the attribute a class counts every line as pure.
    const auto c = count("c.cls", "a\r\nb\r\n");
    EXPECT_EQ(c.pure, c.all);
    // Any other extension is searched like a form.
    const auto o = count("Main.frmx", "h\r\nAttribute VB_Exposed = 0\r\nx\r\n");
    EXPECT_EQ(o.type, "OtherModule");
    EXPECT_EQ(o.pure, 2);
}

TEST_F(ModuleCountTest, EmptyAndMissingModules) {
    const auto e = count("e.bas", "");
    EXPECT_TRUE(e.valid);
    EXPECT_EQ(e.all, 0);
    EXPECT_EQ(e.pure, -1);
    EXPECT_FALSE(countExisting(u"none.bas").valid);
    // A folder is not a module.
    std::filesystem::create_directory(dir / "d.frm");
    EXPECT_FALSE(countExisting(u"d.frm").valid);
}

TEST_F(ModuleCountTest, WhiteSpaceRules) {
    // Only tabs and spaces make a line blank; a form feed or a non-breaking
    // space is content.
    const auto m = count("w.frm", "\t\t\t  \r\n\f\r\n\xa0\r\n \t' c\r\nRem x\r\n");
    EXPECT_EQ(m.blank, 1);
    EXPECT_EQ(m.comment, 1);
}

TEST_F(ModuleCountTest, BackslashAndCaseMismatchedPathsAreFound) {
    dir.write("Forms/frmMain.frm", "a\r\nAttribute VB_Exposed = False\r\nb\r\n");
    const auto m = countExisting(u"FORMS\\FrmMain.FRM");
    ASSERT_TRUE(m.valid);
    EXPECT_EQ(m.all, 4);
    EXPECT_EQ(m.pure, 2);
    const auto up = countExisting(u"sub\\..\\Forms\\frmMain.frm");  // "sub" does not exist
    EXPECT_TRUE(up.valid);
}

TEST_F(ModuleCountTest, BareLineFeedsCountLikeTheirCrLfTwin) {
    const std::string crlf =
        joinLines({"VERSION 5.00", "Begin VB.Form f", "End", "Attribute VB_Name = \"f\"",
                   "Attribute VB_Exposed = False", "Option Explicit", "", "' note", "\t", "Sub A()",
                   "End Sub"},
                  "\r\n");
    const auto twin = count("twin.frm", crlf);
    const auto lf = count("lf.frm", replaceAll(crlf, "\r\n", "\n"));
    std::string mixed = crlf;
    mixed.replace(mixed.find("\r\nOption"), 2, "\n");
    mixed.replace(mixed.rfind("\r\n"), 2, "\n");
    const auto mix = count("mixed.frm", mixed);
    for (const auto& m : {lf, mix}) {
        EXPECT_EQ(m.all, twin.all);
        EXPECT_EQ(m.pure, twin.pure);
        EXPECT_EQ(m.comment, twin.comment);
        EXPECT_EQ(m.blank, twin.blank);
    }
    EXPECT_EQ(twin.all, 12);
    EXPECT_EQ(twin.pure, 7);
    // Such a module is counted without a copy: nothing is written beside it.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().rfind(".crlf", 0), std::string::npos);
}

TEST_F(ModuleCountTest, LoneCarriageReturnsKeepTheirOwnRules) {
    // Line input ends a line at a lone CR; the line count does not.
    const auto m = count("r.bas", "Attribute VB_Name = \"r\"\r' c\r\r");
    EXPECT_EQ(m.all, 1);
    EXPECT_EQ(m.comment, 1);
    EXPECT_EQ(m.blank, 1);
}

TEST_F(ModuleCountTest, BinaryContentAndLongLinesDoNotUpsetTheCount) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7 % 256);
    const auto b = count("bin.frm", binary);
    EXPECT_TRUE(b.valid);
    EXPECT_GE(b.all, 1);
    const auto big = count("big.bas", std::string(20 * 1024 * 1024, 'x'));
    EXPECT_EQ(big.all, 1);
    EXPECT_EQ(big.comment + big.blank, 0);
    const auto nul = count("nul.bas", std::string("a\0b\r\n'\0\r\n", 9));
    EXPECT_EQ(nul.all, 3);
    EXPECT_EQ(nul.comment, 1);
}

TEST_F(ModuleCountTest, UnreadableModuleCountsNothingAndGoesOn) {
    dir.write("locked.frm", "a\r\n' b\r\n");
    std::filesystem::permissions(dir / "locked.frm", std::filesystem::perms::none);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const auto check = [&] {
        const auto m = countExisting(u"locked.frm");
        return m.valid && m.type == "Form" && m.all == 0 && m.comment == 0 && m.blank == 0;
    };
    EXPECT_TRUE(tlvx::test::runUnprivileged(check));
}

// A FIFO, a device or a socket is a module that cannot be read: typed from
// its name, nothing counted, and nothing waits for it. A folder or a link
// that names nothing is no module at all.
TEST_F(ModuleCountTest, NonRegularFilesCountAsUnreadableOrMissingModules) {
    using tlvx::test::NonRegularKind;
    for (const NonRegularKind kind : tlvx::test::kNonRegularKinds) {
        const std::string name = tlvx::test::kindName(kind) + ".bas";
        tlvx::test::makeNonRegular(kind, dir / name);
        const bool noModule =
            kind == NonRegularKind::Folder || kind == NonRegularKind::DanglingLink;
        const auto check = [&] {
            const auto m = countExisting(std::u16string(name.begin(), name.end()));
            if (noModule) return !m.valid;
            return m.valid && m.type == "Module" && m.all == 0 && m.pure == -1 && m.comment == 0 &&
                   m.blank == 0;
        };
        EXPECT_EQ(tlvx::test::runGuarded(check), "passed") << name;
        EXPECT_TRUE(tlvx::test::isStillNonRegular(kind, dir / name)) << name;
    }
}

// A pseudo-file reports size 0 and may never end (/proc/self/pagemap reads
// as the whole address space); one that fails every read (/proc/self/mem)
// is unreadable. Either is a module that counts nothing, and the count ends.
TEST_F(ModuleCountTest, PseudoFilesCountAsUnreadableModules) {
    for (const char* path : {"/proc/self/pagemap", "/proc/self/mem"}) {
        if (!std::filesystem::exists(path)) continue;
        const std::string name(path);
        const auto check = [&] {
            const auto m = countExisting(std::u16string(name.begin(), name.end()));
            return m.valid && m.type == "OtherModule" && m.all == 0 && m.comment == 0 &&
                   m.blank == 0;
        };
        EXPECT_EQ(tlvx::test::runGuarded(check, 30), "passed") << path;
    }
}

// Lines are judged over their whole length, however long: a comment whose
// apostrophe follows more tabs and spaces than a part of a line holds.
TEST_F(ModuleCountTest, LongLinesAreJudgedOverTheirWholeLength) {
    const std::string blanks(200 * 1024, ' ');
    const auto m = count("long.bas", "Attribute VB_Name\r\n" + blanks + "\t'c\r\n" + blanks +
                                         "\r\n" + blanks + "x'\r\n");
    EXPECT_EQ(m.comment, 1);
    EXPECT_EQ(m.blank, 1);
    EXPECT_EQ(m.all, 5);
}

// A module of 256 MiB in one line is counted without holding the line.
TEST_F(ModuleCountTest, AHugeModuleIsCountedInBoundedMemory) {
    const auto huge = dir.write("huge.frm", "");
    std::filesystem::resize_file(huge, std::uintmax_t{256} << 20);
    const auto check = [&] {
        const auto m = countExisting(u"huge.frm");
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long maxMiB = usage.ru_maxrss / 1024;
        return m.valid && m.all == 1 && m.pure == 1 && m.comment == 0 && m.blank == 0 &&
               maxMiB < 128;
    };
    EXPECT_EQ(tlvx::test::runGuarded(check, 60), "passed");
}
