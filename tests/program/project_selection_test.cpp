#include "program/analysis/project_selection.h"

#include <gtest/gtest.h>

#include "program/history/recorded_analysis.h"
#include "tests/support/library_objects.h"
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
            const auto done = history::analyseAndRecord(
                list, index, listing, test::libraryObjects(), work / "tempprjfiles", versions);
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

    ASSERT_TRUE(selection.choose((tree / "g/g.vbg").string(), recorder()));
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
    ASSERT_TRUE(selection.choose((tree / "g/P3/P3.vbp").string(), recorder()));
    EXPECT_EQ(selection.counterText(), "  1/1");
    selection.next(recorder());
    selection.previous(recorder());
    EXPECT_EQ(analysed, std::vector<std::string>{"P3"});
    EXPECT_TRUE(selection.list().groupFile.empty());

    EXPECT_FALSE(selection.choose((tree / "g/missing.vbg").string(), recorder()));
    EXPECT_EQ(selection.counterText(), "  1/1");
    EXPECT_EQ(selection.list().size(), 1u);
    EXPECT_EQ(analysed.size(), 1u);
}
