#include "program/analysis/project_calculation.h"

#include <gtest/gtest.h>

#include <fstream>

#include "program/analysis/module_entries.h"
#include "program/analysis/position_analysis.h"
#include "program/analysis/project_list.h"
#include "tests/support/library_objects.h"
#include "tests/support/temp_dir.h"

using namespace tlvx::analysis;
using tlvx::test::CurrentDirGuard;
using tlvx::test::TempDir;

namespace {

const std::filesystem::path kExamples = TLVX_EXAMPLES_DIR;

const char* kTillSummary =
    "Total: 50 / 97 / 7 / 10 / 43 / 40 / 33 / 90 / 87 / 80 code lines in 6 modules (same order "
    "as above).";
const char* kCommonSummary =
    "Total: 15 / 22 / 3 / 3 / 12 / 12 / 9 / 19 / 19 / 16 code lines in 2 modules (same order as "
    "above).";

// Copies the example group, optionally turning every CR LF into a bare LF.
void copyExamples(const std::filesystem::path& to, bool lineFeedsOnly) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(kExamples)) {
        const auto target = to / std::filesystem::relative(e.path(), kExamples);
        if (e.is_directory()) {
            std::filesystem::create_directories(target);
            continue;
        }
        std::string bytes = TempDir::read(e.path());
        if (lineFeedsOnly) {
            std::string lf;
            for (std::size_t i = 0; i < bytes.size(); ++i)
                if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
                    lf += bytes[i];
            bytes = lf;
        }
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << bytes;
    }
}

struct GroupRun {
    std::vector<PositionResult> results;
    std::vector<std::vector<ListingRow>> listings;
};

GroupRun runGroup(const std::filesystem::path& group, const std::filesystem::path& work) {
    CurrentDirGuard cwd(group.parent_path());
    GroupRun run;
    const auto list = buildProjectList(group.string(), work);
    EXPECT_TRUE(list);
    if (!list) return run;
    ListingModel listing;
    for (std::size_t i = 0; i < list->size(); ++i) {
        run.results.push_back(analysePosition(*list, i, listing, tlvx::test::libraryObjects()));
        run.listings.push_back(listing.rows());
    }
    return run;
}

}  // namespace

TEST(ProjectCalculation, ExampleGroupHasItsKnownCounts) {
    TempDir work;
    const auto run = runGroup(kExamples / "Shop.vbg", work.path());
    ASSERT_EQ(run.results.size(), 2u);
    EXPECT_EQ(run.results[0].properties.name(), "Till");
    EXPECT_EQ(run.results[0].properties.version(), "2.1.7");
    EXPECT_EQ(run.results[0].calculation.summary, kTillSummary);
    EXPECT_EQ(run.results[1].properties.name(), "Common");
    EXPECT_EQ(run.results[1].properties.version(), "1.0.3");
    EXPECT_EQ(run.results[1].calculation.summary, kCommonSummary);

    // Sorted by module file after the calculation, letter case ignored.
    const auto& till = run.listings[0];
    ASSERT_EQ(till.size(), 6u);
    EXPECT_EQ(till[0][0], "clsBasket.cls");
    EXPECT_EQ(till[1][0], "ctlPrice.ctl");
    EXPECT_EQ(till[2][0], "Forms\\frmAbout.frm");
    EXPECT_EQ(till[3][0], "frmTill.frm");
    EXPECT_EQ((std::vector<std::string>(till[3].begin() + 1, till[3].end())),
              (std::vector<std::string>{"Form", "13", "28", "2", "3", "11", "10", "8", "26", "25",
                                        "23"}));
    EXPECT_EQ(till[4][0], "mdlMissing.bas");
    EXPECT_EQ(till[4][1], "Invalid");
    EXPECT_TRUE(till[4][2].empty());
    EXPECT_EQ(till[5][1], "Module");
}

TEST(ProjectCalculation, LineFeedCheckoutCountsLikeTheOriginal) {
    TempDir tree, work;
    copyExamples(tree.path(), true);
    const auto run = runGroup(tree / "Shop.vbg", work.path());
    ASSERT_EQ(run.results.size(), 2u);
    EXPECT_EQ(run.results[0].calculation.summary, kTillSummary);
    EXPECT_EQ(run.results[1].calculation.summary, kCommonSummary);
    EXPECT_EQ(run.results[0].properties.version(), "2.1.7");
}

TEST(ProjectCalculation, ProjectWithoutModulesOrWorkingCopy) {
    TempDir dir;
    CurrentDirGuard cwd(dir.path());
    ListingModel listing;
    const auto copy = dir.write("w.vbp", "[Info]\r\nName=\"x\"\r\n");
    EXPECT_EQ(calculateProject(copy, listing).summary,
              "Total: 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 code lines in 0 modules (same order "
              "as above).");
    listing.addRow("stale");
    const auto none = calculateProject(dir / "gone.vbp", listing);
    EXPECT_EQ(listing.rowCount(), 0u);
    EXPECT_EQ(none.modules, 0u);
}

TEST(ProjectCalculation, DuplicateRowsAddTwiceAndInvalidRowsCountAsModules) {
    TempDir dir;
    CurrentDirGuard cwd(dir.path());
    dir.write("m.bas", "Attribute VB_Name = \"m\"\r\n' c\r\n");
    const auto copy =
        dir.write("w.vbp", "[Info]\r\nModule=m; m.bas\r\nModule=m; m.bas\r\nForm=gone.frm\r\n");
    ListingModel listing;
    const auto calc = calculateProject(copy, listing);
    EXPECT_EQ(calc.totals.all, 6);
    EXPECT_EQ(calc.totals.pure, 4);
    EXPECT_EQ(calc.totals.comment, 2);
    EXPECT_EQ(calc.modules, 3u);
    EXPECT_TRUE(listing.sorted());
}

TEST(ProjectCalculation, CountsEveryRowOfAHugeProject) {
    TempDir dir;
    CurrentDirGuard cwd(dir.path());
    dir.write("m.bas", "Attribute VB_Name = \"m\"\r\nx\r\n");
    std::string vbp = "[Info]\r\n";
    for (int i = 0; i < 40000; ++i) vbp += "Module=m; m.bas\r\n";
    const auto copy = dir.write("big.vbp", vbp);
    ListingModel listing;
    const auto calc = calculateProject(copy, listing);
    EXPECT_EQ(calc.modules, 40000u);
    EXPECT_EQ(calc.totals.all, 3 * 40000);
    EXPECT_EQ(listing.row(39999)[3], "3");
}

TEST(ProjectCalculation, ModuleVanishingBeforeItIsCountedIsInvalid) {
    TempDir dir;
    CurrentDirGuard cwd(dir.path());
    dir.write("a.bas", "x\r\n");
    const auto copy = dir.write("w.vbp", "[Info]\r\nModule=a; a.bas\r\n");
    ListingModel listing;
    readModuleEntries(copy, listing);
    std::filesystem::remove(dir / "a.bas");
    calculateProject(copy, listing);
    EXPECT_EQ(listing.row(0)[1], "Invalid");
}
