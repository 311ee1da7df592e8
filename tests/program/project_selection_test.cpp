#include "program/analysis/project_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "program/analysis/project_recognition.h"

#include "program/history/recorded_analysis.h"
#include "tests/support/library_objects.h"
#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

using namespace tlvx;
using analysis::ProjectList;
using analysis::ProjectSelection;
using test::CurrentDirGuard;
using test::TempDir;

namespace {

// A group of three projects, each with one module whose line count tells
// which project was analysed.
class ProjectSelectionTest : public ::testing::Test {
protected:
    ProjectSelectionTest() {
        for (int i = 1; i <= 3; ++i) {
            const std::string n = std::to_string(i);
            std::string module = "Attribute VB_Name = \"m\"\r\n";
            for (int l = 0; l < i; ++l) module += "x\r\n";
            tree.write("g/P" + n + "/P" + n + ".vbp",
                       "Name=\"P" + n + "\"\r\nMajorVer=1\r\nMinorVer=0\r\nRevisionVer=" + n +
                           "\r\nModule=m; m.bas\r\n");
            tree.write("g/P" + n + "/m.bas", module);
        }
        tree.write("g/g.vbg",
                   "VBGROUP 5.0\r\nStartupProject=P1\\P1.vbp\r\nProject=P2\\P2.vbp\r\n"
                   "Project=P3\\P3.vbp\r\n");
        std::filesystem::create_directories(work / "tempprjfiles");
        std::filesystem::create_directories(work / "verhis");
    }

    ProjectSelection::Analyse recorder() {
        return [this](const ProjectList& list, std::size_t index) {
            const auto done =
                history::analyseAndRecord(list, index, listing, test::libraryObjects(), versions);
            analysed.push_back(done.result.properties.name());
            EXPECT_TRUE(done.recorded);
        };
    }

    TempDir tree, work;
    analysis::ListingModel listing;
    history::VersionHistory versions{work / "verhis"};
    ProjectSelection selection{work / "tempprjfiles"};
    std::vector<std::string> analysed;
};

}  // namespace

TEST_F(ProjectSelectionTest, StepsThroughAGroupAndRecordsEveryAnalysis) {
    CurrentDirGuard cwd(tree / "g");
    EXPECT_EQ(selection.counterText(), "  0/0");
    selection.next(recorder());  // nothing chosen yet
    EXPECT_TRUE(analysed.empty());

    ASSERT_EQ(selection.choose((tree / "g/g.vbg").string(), recorder()), analysis::Choice::Made);
    EXPECT_EQ(selection.counterText(), "  1/3");
    selection.previous(recorder());  // already at the first
    EXPECT_EQ(selection.counterText(), "  1/3");
    selection.next(recorder());
    EXPECT_EQ(selection.counterText(), "  2/3");
    selection.next(recorder());
    selection.next(recorder());  // already at the last
    EXPECT_EQ(selection.counterText(), "  3/3");
    selection.previous(recorder());
    EXPECT_EQ(selection.counterText(), "  2/3");
    EXPECT_EQ(analysed, (std::vector<std::string>{"P1", "P2", "P3", "P2"}));
    EXPECT_EQ(listing.row(0)[3], "4");  // P2's module: header, two lines, the final piece

    EXPECT_EQ(versions.versions("P1"), std::vector<std::string>{"1.0.1"});
    EXPECT_EQ(versions.versions("P3"), std::vector<std::string>{"1.0.3"});
    EXPECT_NE(TempDir::read(work / "verhis/P2/1.0.2").find("m.bas:Module:3:4:"), std::string::npos);
}

TEST_F(ProjectSelectionTest, ASingleProjectDoesNotStepAndABadGroupKeepsTheList) {
    CurrentDirGuard cwd(tree.path());
    ASSERT_EQ(selection.choose((tree / "g/P3/P3.vbp").string(), recorder()),
              analysis::Choice::Made);
    EXPECT_EQ(selection.counterText(), "  1/1");
    selection.next(recorder());
    selection.previous(recorder());
    EXPECT_EQ(analysed, std::vector<std::string>{"P3"});
    EXPECT_TRUE(selection.list().groupFile.empty());

    EXPECT_EQ(selection.choose((tree / "g/missing.vbg").string(), recorder()),
              analysis::Choice::Unreadable);
    EXPECT_EQ(selection.refusal(), "no such file");
    EXPECT_EQ(selection.counterText(), "  1/1");
    EXPECT_EQ(selection.list().size(), 1u);
    EXPECT_EQ(analysed.size(), 1u);
}

TEST_F(ProjectSelectionTest, AChosenFileThatCannotBeReadIsRefusedWithItsReason) {
    CurrentDirGuard cwd(tree.path());
    ASSERT_EQ(selection.choose((tree / "g/P3/P3.vbp").string(), recorder()),
              analysis::Choice::Made);
    tlvx::test::makeNonRegular(tlvx::test::NonRegularKind::Fifo, tree / "fifo.vbg");
    tlvx::test::makeNonRegular(tlvx::test::NonRegularKind::Folder, tree / "folder.vbp");
    const auto huge = tree.write("huge.vbp", "Type=Exe\r\n");
    std::filesystem::resize_file(huge, 100'000'000);
    for (const auto& [file, reason] : {std::pair{tree / "fifo.vbg", "not a regular file"},
                                       std::pair{tree / "folder.vbp", "a folder, not a file"},
                                       std::pair{huge, "larger than 64 MiB"}}) {
        const auto check = [&, &file = file] {
            return selection.choose(file.string(), recorder()) == analysis::Choice::Unreadable;
        };
        const std::string outcome = tlvx::test::runGuarded(check);
        EXPECT_EQ(outcome, "passed") << file;
        if (outcome != "passed") continue;  // it would not come back here either
        EXPECT_EQ(selection.choose(file.string(), recorder()), analysis::Choice::Unreadable);
        EXPECT_EQ(selection.refusal(), reason) << file;
        EXPECT_EQ(analysis::unreadableFileMessage(file.string(), selection.refusal()),
                  "\"" + file.string() + "\" cannot be read (" + reason + ").");
    }
    EXPECT_EQ(selection.counterText(), "  1/1");
    EXPECT_EQ(analysed, std::vector<std::string>{"P3"});
}

TEST(ProjectRecognition, AProjectHasATypeLineOrAModule) {
    using analysis::holdsProject;
    EXPECT_TRUE(holdsProject("Type=Exe\r\n"));
    EXPECT_TRUE(holdsProject("Name=\"Lib\"\r\nTYPE=OleDll"));
    EXPECT_TRUE(holdsProject("Name=\"P\"\nModule=m; m.bas\n"));  // bare LF line ends
    EXPECT_TRUE(holdsProject("Name=\"P\"\rForm=frmMain.frm\r"));
    EXPECT_TRUE(holdsProject("[Info]\r\nClass=c; c.cls\r\n"));  // a working copy
    // Renamed text files, binary files, empty files.
    EXPECT_FALSE(holdsProject(""));
    EXPECT_FALSE(holdsProject("[Info]\r\n"));
    EXPECT_FALSE(holdsProject("Name=\"Only properties\"\r\nMajorVer=1\r\n"));
    EXPECT_FALSE(holdsProject("Dear reader,\r\nthe type= of this letter is none.\r\n"));
    EXPECT_FALSE(holdsProject(std::string("PK\x03\x04\0\0Type\0=", 12)));
    EXPECT_FALSE(holdsProject(" Type=Exe\r\n"));  // the key starts the line
    EXPECT_FALSE(holdsProject("Module=no second field\r\n"));
}

TEST_F(ProjectSelectionTest, AChosenFileThatIsNoProjectKeepsTheListAndItsWorkingCopies) {
    CurrentDirGuard cwd(tree / "g");
    ASSERT_EQ(selection.choose((tree / "g/g.vbg").string(), recorder()), analysis::Choice::Made);
    const std::string p2Copy = TempDir::read(work / "tempprjfiles/P2.vbp");
    // A renamed text file bearing the name of a position's working copy,
    // a binary file and an empty file.
    for (const auto& [name, text] : {std::pair{"other/P2.vbp", std::string("just a letter\r\n")},
                                     std::pair{"other/bin.vbp", std::string("\x7f"
                                                                            "ELF\0\1",
                                                                            6)},
                                     std::pair{"other/empty.vbp", std::string()}}) {
        SCOPED_TRACE(name);
        const auto file = tree.write(name, text);
        EXPECT_EQ(selection.choose(file.string(), recorder()), analysis::Choice::NoProject);
        EXPECT_EQ(selection.counterText(), "  1/3");
        EXPECT_EQ(selection.list().size(), 3u);
    }
    EXPECT_EQ(TempDir::read(work / "tempprjfiles/P2.vbp"), p2Copy);
    EXPECT_EQ(analysed, std::vector<std::string>{"P1"});
    EXPECT_EQ(listing.rowCount(), 1u);  // P1's listing stays
    selection.next(recorder());
    EXPECT_EQ(analysed, (std::vector<std::string>{"P1", "P2"}));
    // Nothing was recorded for the files that hold no project.
    std::vector<std::string> projects;
    for (const auto& entry : std::filesystem::directory_iterator(work / "verhis"))
        projects.push_back(entry.path().filename().string());
    std::ranges::sort(projects);
    EXPECT_EQ(projects, (std::vector<std::string>{"P1", "P2"}));
}

TEST_F(ProjectSelectionTest, AGroupPositionWithoutProjectShowsNothingAndRecordsNothing) {
    CurrentDirGuard cwd(tree / "g");
    tree.write("g/junk.vbp", "not a project\r\n");
    tree.write("g/h.vbg",
               "VBGROUP 5.0\r\nProject=junk.vbp\r\nProject=P1\\P1.vbp\r\nProject=gone.vbp\r\n");
    std::vector<bool> isProject;
    const auto analyse = [&](const ProjectList& list, std::size_t index) {
        const auto done =
            history::analyseAndRecord(list, index, listing, test::libraryObjects(), versions);
        isProject.push_back(done.result.isProject);
        EXPECT_FALSE(done.failed);
        EXPECT_EQ(done.recorded, done.result.isProject);
        if (!done.result.isProject) {
            EXPECT_EQ(listing.rowCount(), 0u);
            EXPECT_TRUE(done.result.properties.name().empty());
        }
    };
    ASSERT_EQ(selection.choose((tree / "g/h.vbg").string(), analyse), analysis::Choice::Made);
    selection.next(analyse);
    EXPECT_EQ(listing.rowCount(), 1u);
    selection.next(analyse);
    EXPECT_EQ(selection.counterText(), "  3/3");
    EXPECT_EQ(isProject, (std::vector<bool>{false, true, false}));
    std::vector<std::string> projects;
    for (const auto& entry : std::filesystem::directory_iterator(work / "verhis"))
        projects.push_back(entry.path().filename().string());
    EXPECT_EQ(projects, std::vector<std::string>{"P1"});
}
