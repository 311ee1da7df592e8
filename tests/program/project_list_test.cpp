#include "program/analysis/project_list.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "program/analysis/group_file.h"
#include "program/analysis/position_analysis.h"
#include "program/analysis/project_selection.h"
#include "program/analysis/working_copy.h"
#include "tests/support/library_objects.h"
#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

using namespace tlvx::analysis;
using tlvx::test::CurrentDirGuard;
using tlvx::test::TempDir;

TEST(GroupFile, LineRules) {
    EXPECT_FALSE(projectPathOfGroupLine("VBGROUP 5.0"));
    EXPECT_FALSE(projectPathOfGroupLine("vbgroupish"));
    EXPECT_EQ(projectPathOfGroupLine("StartupProject=App\\App.vbp"), "App\\App.vbp");
    EXPECT_EQ(projectPathOfGroupLine("PROJECT=x.vbp"), "x.vbp");
    EXPECT_EQ(projectPathOfGroupLine(" Project=x.vbp"), "");  // a position without a path
    EXPECT_EQ(projectPathOfGroupLine(""), "");
    EXPECT_EQ(projectPathOfGroupLine("Project= x.vbp "), " x.vbp ");  // not trimmed
}

TEST(GroupFile, KeepsFileOrderAndCountsEveryLine) {
    TempDir dir;
    const auto g =
        dir.write("g.vbg",
                  "VBGROUP 5.0\r\nProject=Lib\\Lib.vbp\r\nStartupProject=App\\App.vbp\r\n"
                  "Project=Lib\\Lib.vbp\r\n\r\n");
    const auto projects = readGroupFile(g);
    ASSERT_TRUE(projects);
    EXPECT_EQ(projects->count, 4u) << "the blank line takes a position";
    EXPECT_EQ(projects->named, (std::vector<std::pair<std::size_t, std::string>>{
                                   {0, "Lib\\Lib.vbp"}, {1, "App\\App.vbp"}, {2, "Lib\\Lib.vbp"}}));
    // The same group with bare LF line ends reads the same.
    const auto lf = dir.write("lf.vbg",
                              "VBGROUP 5.0\nProject=Lib\\Lib.vbp\nStartupProject=App\\App.vbp\n"
                              "Project=Lib\\Lib.vbp\n\n");
    EXPECT_EQ(readGroupFile(lf), projects);
    EXPECT_FALSE(readGroupFile(dir / "none.vbg"));
    EXPECT_FALSE(readGroupFile(dir.path()));  // a folder cannot be read as a group
}

namespace {

// The peak resident memory of this process so far, in bytes.
std::size_t peakMemory() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

}  // namespace

TEST(GroupFile, BlankLinesAreCountedAndKeepNothing) {
    constexpr std::size_t kBlankLines = 1'000'000;
    TempDir dir, work;
    dir.write("ok.vbp", "Name=\"Ok\"\r\nModule=m; m.bas\r\n");
    dir.write("m.bas", "Attribute VB_Name = \"m\"\r\nx\r\n");
    std::string group = "VBGROUP 5.0\r\nProject=ok.vbp\r\n";
    for (std::size_t i = 0; i < kBlankLines; ++i) group += i % 2 ? "\r\n" : "\n";
    group += "Project=ok.vbp\r\n";
    dir.write("g.vbg", group);
    group = std::string();
    CurrentDirGuard cwd(dir.path());

    const std::size_t before = peakMemory();
    const auto list = buildProjectList((dir / "g.vbg").string(), work.path());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->size(), kBlankLines + 2);
    std::size_t named = 0;
    for (std::size_t i = 0; i < list->size(); ++i) named += list->at(i) != nullptr;
    EXPECT_EQ(named, 2u);
    EXPECT_EQ(list->projectFile(kBlankLines + 1), "ok.vbp");
    EXPECT_EQ(list->projectFile(1), "");
    // A kept position per line cost hundreds of bytes: hundreds of MB here.
    EXPECT_LT(peakMemory() - before, std::size_t{16} << 20);

    ListingModel listing;
    const auto last =
        analysePosition(*list, kBlankLines + 1, listing, tlvx::test::libraryObjects());
    EXPECT_EQ(last.calculation.totals.all, 3);
    const auto blank = analysePosition(*list, kBlankLines, listing, tlvx::test::libraryObjects());
    EXPECT_FALSE(blank.isProject);
    EXPECT_EQ(blank.copyError, 0);
}

TEST(WorkingCopy, HoldsTheInfoLineAndTheProjectText) {
    TempDir dir;
    CurrentDirGuard cwd(dir.path());
    dir.write("p.vbp", "Name=\"P\"\r\nForm=a.frm");
    std::filesystem::create_directory(dir / "w");
    const auto copy = makeWorkingCopy("P.VBP", dir / "w", "p.vbp");
    EXPECT_TRUE(copy.state.usable());
    EXPECT_EQ(TempDir::read(copy.path), "[Info]\r\nName=\"P\"\r\nForm=a.frm\r\n");
    // An unreadable project file, or one that holds no project, gets no
    // copy, and what an earlier choice left under the name goes.
    dir.write("letter.vbp", "Dear reader\r\n");
    for (const char* none : {"gone.vbp", "letter.vbp"}) {
        ASSERT_TRUE(makeWorkingCopy("P.VBP", dir / "w", "p.vbp").state.usable());
        const auto missing = makeWorkingCopy(none, dir / "w", "p.vbp");
        EXPECT_EQ(missing.path, copy.path);
        EXPECT_FALSE(missing.state.holdsProject) << none;
        EXPECT_EQ(missing.state.error, 0);
        EXPECT_FALSE(std::filesystem::exists(copy.path)) << none;
    }
}

TEST(WorkingCopy, SameFileNamesGetDistinctCopies) {
    WorkingCopyNames names;
    EXPECT_EQ(names.take("App.vbp"), "App.vbp");
    EXPECT_EQ(names.take("app.VBP"), "app~2.VBP");
    EXPECT_EQ(names.take("App.vbp"), "App~3.vbp");
    EXPECT_EQ(names.take(""), "project");
    EXPECT_EQ(names.take(".."), "project~2");
    EXPECT_EQ(names.take(std::string("a\0b.vbp", 7)), "a_b.vbp");
    // Named as Windows stores the name, and only with characters the code
    // page holds, so that the profile reader finds the copy.
    EXPECT_EQ(names.take("APP.VBP  "), "APP~4.VBP");
    EXPECT_EQ(names.take("Util.vbp. ."), "Util.vbp");
    EXPECT_EQ(names.take("\xD0\x9F\xD1\x80.vbp"), "__.vbp");  // Пр
    EXPECT_EQ(names.take("Caf\xC3\xA9 \xE2\x82\xAC.vbp"),
              "Caf\xC3\xA9 \xE2\x82\xAC.vbp");  // é and €
    EXPECT_EQ(names.take("\xF0\x9F\x98\x80.vbp"), "_.vbp");
}

TEST(ProjectList, EachPositionShowsItsOwnProjectAndRunsInItsFolder) {
    TempDir dir, work;
    dir.write("g/One/App.vbp", "Name=\"One\"\r\nModule=m; m.bas\r\n");
    dir.write("g/One/m.bas", "Attribute VB_Name = \"m\"\r\n");
    dir.write("g/Two/App.vbp", "Name=\"Two\"\r\nModule=m; m.bas\r\n");
    dir.write("g/Two/m.bas", "Attribute VB_Name = \"m\"\r\nx\r\ny\r\n");
    dir.write("g/g.vbg",
              "VBGROUP 5.0\r\nProject=One\\App.vbp\r\nProject=two\\app.vbp\r\n"
              "Project=Nowhere\\X.vbp\r\n");
    CurrentDirGuard cwd(dir / "g");
    const auto list = buildProjectList((dir / "g/g.vbg").string(), work.path());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_NE(list->at(0)->workingCopy, list->at(1)->workingCopy);

    ListingModel listing;
    auto one = analysePosition(*list, 0, listing, tlvx::test::libraryObjects());
    EXPECT_EQ(one.properties.name(), "One");
    EXPECT_EQ(one.calculation.totals.all, 2);
    auto two = analysePosition(*list, 1, listing, tlvx::test::libraryObjects());
    EXPECT_EQ(two.properties.name(), "Two");
    EXPECT_EQ(two.calculation.totals.all, 4);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(dir / "g/Two"));
    // An unresolvable project stays in the group's folder with an empty
    // listing and no properties: it holds no project.
    auto none = analysePosition(*list, 2, listing, tlvx::test::libraryObjects());
    EXPECT_FALSE(none.isProject);
    EXPECT_TRUE(one.isProject);
    EXPECT_EQ(none.properties.version(), "");
    EXPECT_EQ(none.calculation.modules, 0u);
    EXPECT_EQ(listing.rowCount(), 0u);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(dir / "g"));
}

TEST(ProjectList, ProjectLinesWithTrailingSpacesOrDotsKeepTheirProperties) {
    TempDir dir, work;
    dir.write("g/app/APP.VBP", "Name=\"App\"\r\nMajorVer=3\r\nModule=m; m.bas\r\n");
    dir.write("g/app/m.bas", "Attribute VB_Name = \"m\"\r\nx\r\n");
    dir.write("g/\xD0\x9F/\xD0\x9F.vbp", "Type=Exe\r\nName=\"Cyr\"\r\nMajorVer=4\r\n");
    dir.write("g/g.vbg",
              "VBGROUP 5.0\r\nStartupProject=app\\APP.VBP  \r\nProject=app\\app.vbp.\r\n");
    CurrentDirGuard cwd(dir / "g");
    const auto list = buildProjectList((dir / "g/g.vbg").string(), work.path());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    ListingModel listing;
    for (std::size_t position : {0u, 1u}) {
        auto app = analysePosition(*list, position, listing, tlvx::test::libraryObjects());
        EXPECT_EQ(app.properties.name(), "App") << position;
        EXPECT_EQ(app.properties.version(), "3..") << position;
        EXPECT_EQ(app.calculation.totals.all, 3) << position;
    }
    // A project file chosen under a name outside the code page still shows
    // its properties.
    const auto single = buildProjectList((dir / "g/\xD0\x9F/\xD0\x9F.vbp").string(), work.path());
    ASSERT_TRUE(single);
    auto cyrillic = analysePosition(*single, 0, listing, tlvx::test::libraryObjects());
    EXPECT_EQ(cyrillic.properties.name(), "Cyr");
}

TEST(ProjectList, UnreadableGroupGivesNoList) {
    TempDir dir, work;
    CurrentDirGuard cwd(dir.path());
    EXPECT_FALSE(buildProjectList("missing.vbg", work.path()));
    const auto single = buildProjectList("missing.vbp", work.path());
    ASSERT_TRUE(single);  // a single project always takes its position
    EXPECT_EQ(single->size(), 1u);
    EXPECT_TRUE(single->groupFile.empty());
}

// Project and group files are kilobytes; 100 MB is no such file.
constexpr std::uintmax_t kHugeFileSize = 100'000'000;

std::filesystem::path hugeFile(const TempDir& dir, std::string_view name) {
    const auto path = dir.write(name, "Name=\"Huge\"\r\n");
    std::filesystem::resize_file(path, kHugeFileSize);
    return path;
}

// Group lines that name a FIFO, a device, a folder, a socket, a link to
// nothing, /dev/zero or a file of 100 MB: each position behaves as a missing
// project, and nothing waits for any of them.
TEST(ProjectList, PositionsNamingNoReadableProjectBehaveAsMissingOnes) {
    TempDir dir, work;
    std::string group = "VBGROUP 5.0\r\n";
    for (const auto kind : tlvx::test::kNonRegularKinds) {
        const std::string name = tlvx::test::kindName(kind) + ".vbp";
        tlvx::test::makeNonRegular(kind, dir / name);
        group += "Project=" + name + "\r\n";
    }
    hugeFile(dir, "huge.vbp");
    group += "Project=/dev/zero\r\nProject=huge.vbp\r\nProject=ok.vbp\r\n";
    dir.write("ok.vbp", "Name=\"Ok\"\r\nModule=m; m.bas\r\n");
    dir.write("m.bas", "Attribute VB_Name = \"m\"\r\nx\r\n");
    dir.write("g.vbg", group);
    CurrentDirGuard cwd(dir.path());
    const auto check = [&] {
        const auto list = buildProjectList((dir / "g.vbg").string(), work.path());
        if (!list || list->size() != tlvx::test::kNonRegularKinds.size() + 3) return false;
        ListingModel listing;
        for (std::size_t i = 0; i + 1 < list->size(); ++i) {
            if (!list->at(i) || list->at(i)->copyState.holdsProject) return false;
            const auto r = analysePosition(*list, i, listing, tlvx::test::libraryObjects());
            if (r.properties.name() != "" || r.calculation.modules != 0) return false;
        }
        const auto ok =
            analysePosition(*list, list->size() - 1, listing, tlvx::test::libraryObjects());
        return ok.properties.name() == "Ok" && ok.calculation.totals.all == 3;
    };
    EXPECT_EQ(tlvx::test::runGuarded(check), "passed");
}

// A chosen group file that is no regular file, or one of 100 MB, is refused
// and the earlier choice stays; a chosen project file of that kind takes its
// position, which holds no project.
TEST(ProjectList, ChosenFilesThatCannotBeReadAreRefusedWithoutWaiting) {
    TempDir dir, work;
    for (const auto kind : tlvx::test::kNonRegularKinds) {
        tlvx::test::makeNonRegular(kind, dir / (tlvx::test::kindName(kind) + ".vbg"));
        tlvx::test::makeNonRegular(kind, dir / (tlvx::test::kindName(kind) + ".vbp"));
    }
    hugeFile(dir, "huge.vbg");
    hugeFile(dir, "huge.vbp");
    dir.write("ok.vbp", "Type=Exe\r\nName=\"Ok\"\r\n");
    CurrentDirGuard cwd(dir.path());
    std::vector<std::string> names = {"huge"};
    for (const auto kind : tlvx::test::kNonRegularKinds)
        names.push_back(tlvx::test::kindName(kind));
    for (const auto& name : names) {
        const auto check = [&] {
            ProjectSelection selection(work.path());
            const auto ignore = [](const ProjectList&, std::size_t) {};
            if (selection.choose("ok.vbp", ignore) != Choice::Made) return false;
            if (selection.choose(name + ".vbg", ignore) == Choice::Made) return false;
            if (selection.counterText() != "  1/1" || selection.list().projectFile(0) != "ok.vbp")
                return false;
            const auto single = buildProjectList(name + ".vbp", work.path());
            return single && single->size() == 1 && !single->at(0)->copyState.holdsProject;
        };
        EXPECT_EQ(tlvx::test::runGuarded(check), "passed") << name;
    }
}

TEST(ProjectProperties, ReadThroughTheApiObjectFromTheWorkingCopy) {
    TempDir dir, work;
    CurrentDirGuard cwd(dir.path());
    dir.write("p.vbp",
              "Type=Exe\r\nName=\"Quoted Name\"\r\nMajorVer=1\r\nMinorVer= "
              "2\r\nVersionCompanyName=\"A, B\"\r\n"
              "Description=\"Till and basket\"\r\nVersionLegalTrademarks='TM'\r\n");
    const auto list = buildProjectList("p.vbp", work.path());
    ASSERT_TRUE(list);
    const auto p =
        readProjectProperties(list->at(0)->workingCopy, tlvx::test::libraryObjects().pafs);
    EXPECT_EQ(p.name(), "Quoted Name");
    EXPECT_EQ(p.version(), "1.2.");  // three parts even without RevisionVer
    EXPECT_EQ(p.values[3], "Till and basket");
    EXPECT_EQ(p.values[5], "A, B");
    EXPECT_EQ(p.values[7], "TM");
    EXPECT_EQ(p.values[2], "");
    EXPECT_EQ(readProjectProperties(work / "none.vbp", tlvx::test::libraryObjects().pafs).version(),
              "..");
}

// An empty position names its reason; the counting itself is as before.
TEST(ProjectList, EmptyPositionsSayWhyTheyAreEmpty) {
    TempDir dir, work;
    dir.write("ok.vbp", "Name=\"Ok\"\r\nModule=m; m.bas\r\n");
    dir.write("m.bas", "Attribute VB_Name = \"m\"\r\nx\r\n");
    dir.write("notes.vbp", "just some notes\r\n");
    dir.write("g.vbg",
              "VBGROUP 5.0\r\nProject=ok.vbp\r\nProject=Sub\\gone.vbp\r\n\r\n"
              "Project=notes.vbp\r\n");
    CurrentDirGuard cwd(dir.path());
    const auto list = buildProjectList((dir / "g.vbg").string(), work.path());
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 4u);
    const std::string expected[] = {
        "",
        "The project file \"Sub\\gone.vbp\" was not found.",
        "Position 3: blank line in the group.",
        "The file \"notes.vbp\" holds no project.",
    };
    for (std::size_t i = 0; i < list->size(); ++i)
        EXPECT_EQ(emptyPositionNote(*list, i), expected[i]);
    EXPECT_EQ(emptyPositionNote(*list, 4), "");
}
