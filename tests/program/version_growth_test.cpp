// The growth of a project across its versions and the comparison of two
// versions, from records written by the recording code itself: the order of
// versions, the summary line read back, the table with its changes, the
// matching of modules and what a damaged record tells.

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "platform/text/name_collation.h"
#include "program/analysis/project_list.h"
#include "program/analysis/summary_line.h"
#include "program/history/recorded_analysis.h"
#include "program/history/version_comparison.h"
#include "program/history/version_growth.h"
#include "program/history/version_order.h"
#include "tests/support/library_objects.h"
#include "tests/support/temp_dir.h"

using namespace tlvx;
using namespace tlvx::history;
using analysis::ListingRow;
using test::TempDir;

namespace {

namespace fs = std::filesystem;

// A row and its record line values: P, A, C, B and the six differences.
ListingRow row(const std::string& file, const std::string& type, int64_t p, int64_t a, int64_t c,
               int64_t b) {
    ListingRow r{file, type};
    const auto ten = analysis::tenNumbers({p, a, c, b});
    for (std::size_t i = 0; i < ten.size(); ++i) r[i + 2] = std::to_string(ten[i]);
    return r;
}

TenNumbers ten(int64_t p, int64_t a, int64_t c, int64_t b) {
    const auto v = analysis::tenNumbers({p, a, c, b});
    TenNumbers t{};
    std::copy(v.begin(), v.end(), t.begin());
    return t;
}

// The summary the calculation writes for these rows.
std::string summaryOf(const std::vector<ListingRow>& rows) {
    analysis::LineTotals totals;
    for (const auto& r : rows) {
        if (r[1] == "Invalid") continue;
        totals.pure += std::stoll(r[2]);
        totals.all += std::stoll(r[3]);
        totals.comment += std::stoll(r[4]);
        totals.blank += std::stoll(r[5]);
    }
    return analysis::summaryLine(totals, static_cast<int64_t>(rows.size()));
}

class GrowthTest : public ::testing::Test {
protected:
    GrowthTest() : history(dir / "verhis") { fs::create_directory(dir / "verhis"); }

    void save(const std::string& project, const std::string& version,
              const std::vector<ListingRow>& rows) {
        ASSERT_TRUE(history.save(project, version, rows, summaryOf(rows)));
    }
    fs::path record(const std::string& project, const std::string& version) {
        return *history.recordFile(project, version);
    }

    TempDir dir;
    VersionHistory history;
};

}  // namespace

TEST(VersionOrder, ComparesNumbersAsNumbersAndTextAsText) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"1.9.0", "1.10.0", -1},
        {"1.10.0", "1.9.0", 1},
        {"2.0.0", "10.0.0", -1},
        {"1.2", "1.2.0", -1},  // fewer parts first
        {"1.01", "1.1", 0},    // leading zeros do not count
        {"1.0.0", "1.0.0", 0},
        {"99999999999999999999999.1", "99999999999999999999998.9", 1},  // beyond 64 bits
        {"1.0.beta", "1.0.alpha", 1},                                   // text as text
        {"1.0.Beta", "1.0.beta", 0},                                    // case ignored
        {"1.0.9", "1.0.rc", -1},                                        // a number before a text
        {"1.0.10a", "1.0.9a", -1},  // a part with letters is text: "1" before "9"
        {"", "0", 1},               // the empty text is no number
        {"1..2", "1.0.2", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compareVersions(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(compareVersions(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
    }
    // Equal keys keep the order they came in.
    std::vector<std::string> versions{"1.10.0", "1.01", "1.9.0", "1.1", "1.0.rc", "1.0.9", "1.2"};
    sortVersions(versions);
    EXPECT_EQ(versions, (std::vector<std::string>{"1.0.9", "1.0.rc", "1.01", "1.1", "1.2", "1.9.0",
                                                  "1.10.0"}));
}

TEST(SummaryLineReading, ReadsWhatTheCalculationWritesAndRefusesTheRest) {
    const std::string good = analysis::summaryLine({61, 101, 2, 3}, 13);
    const auto read = analysis::readSummaryLine(good);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->modules, 13);
    EXPECT_EQ(std::vector<int64_t>(read->totals.begin(), read->totals.end()),
              analysis::tenNumbers({61, 101, 2, 3}));
    // Negative differences are numbers too.
    EXPECT_TRUE(analysis::readSummaryLine(analysis::summaryLine({1, 2, 5, 0}, 1)));

    const std::string damaged[] = {
        "",
        "Total Lines: please choose a project/group first.",
        "Total: 61 / 101 / 2 / 3 / 59 / 58 / 56 / 99 / 98",  // cut short
        "Total: 61 / 101 / 2 / 3 / 59 / 58 / 56 / 99 / 98 / 96 code lines in 13",
        "Total: 61 / 101 / 2 / 3 / 59 / 58 / 56 / 99 / 98 / 96 code lines in x modules (same "
        "order as above).",
        "Total: 61 / 1O1 / 2 / 3 / 59 / 58 / 56 / 99 / 98 / 96 code lines in 13 modules (same "
        "order as above).",
        // A hand-edited P whose differences no longer follow from it.
        "Total: 62 / 101 / 2 / 3 / 59 / 58 / 56 / 99 / 98 / 96 code lines in 13 modules (same "
        "order as above).",
        // Beyond any count: refused rather than overflowing.
        "Total: 9223372036854775807 / 0 / -9223372036854775807 / 0 / 0 / 0 / 0 / 0 / 0 / 0 code "
        "lines in 1 modules (same order as above).",
        good + " ",
    };
    for (const auto& line : damaged) EXPECT_FALSE(analysis::readSummaryLine(line)) << line;
}

TEST_F(GrowthTest, ListsTheVersionsInVersionOrderWithTotalsAndChanges) {
    save("Billing", "1.10.0",
         {row("a.bas", "Module", 30, 40, 5, 5), row("b.frm", "Form", 9, 20, 0, 1)});
    save("Billing", "1.9.0", {row("a.bas", "Module", 20, 30, 4, 4)});
    // The Invalid row as the record holds it: no numbers.
    save("Billing", "1.2.0", {row("a.bas", "Module", 10, 12, 1, 1), {"old.bas", "Invalid"}});
    const auto written = std::chrono::sys_seconds(std::chrono::seconds(1'765'242'123));
    fs::last_write_time(record("Billing", "1.9.0"), std::chrono::file_clock::from_sys(written));

    const auto table = growthTable(history, "billing");  // case ignored
    ASSERT_TRUE(table);
    EXPECT_EQ(table->project, "Billing");
    ASSERT_EQ(table->versions.size(), 3u);
    const auto& v = table->versions;
    EXPECT_EQ(v[0].version, "1.2.0");
    EXPECT_EQ(v[1].version, "1.9.0");
    EXPECT_EQ(v[2].version, "1.10.0");
    EXPECT_EQ(v[0].record.modules, 2);  // the Invalid row is a module of its record
    EXPECT_EQ(v[0].record.totals, ten(10, 12, 1, 1));
    EXPECT_FALSE(v[0].change);
    EXPECT_EQ(v[1].change, ten(10, 18, 3, 3));
    EXPECT_EQ(v[2].record.modules, 2);
    EXPECT_EQ(v[2].change, ten(19, 30, 1, 2));
    ASSERT_TRUE(v[1].recorded);
    EXPECT_EQ(utcTimestamp(*v[1].recorded), "2025-12-09T01:02:03Z");
    EXPECT_TRUE(v[0].recorded);

    EXPECT_FALSE(growthTable(history, "Nobody"));
    fs::create_directory(dir / "verhis/Empty");
    ASSERT_TRUE(growthTable(history, "Empty"));
    EXPECT_TRUE(growthTable(history, "Empty")->versions.empty());
}

TEST_F(GrowthTest, ARecordWithoutItsSummaryIsToldNotCountedAsZero) {
    save("P", "1.0.0", {row("a.bas", "Module", 10, 10, 0, 0)});
    save("P", "1.0.1", {row("a.bas", "Module", 11, 11, 0, 0)});
    save("P", "1.0.2", {row("a.bas", "Module", 12, 12, 0, 0)});
    save("P", "1.0.3", {row("a.bas", "Module", 13, 13, 0, 0)});
    save("P", "1.0.4", {row("a.bas", "Module", 14, 14, 0, 0)});
    // A record cut short, one whose summary was edited by hand, and one
    // that ends in a row.
    dir.write("verhis/P/1.0.1", "a.bas:Module:11:11:0:0:11:11:11:11:11:11\r\n");
    dir.write("verhis/P/1.0.2",
              "a.bas:Module:12:12:0:0:12:12:12:12:12:12\r\nTotal: 12 / 12 / 0 / 0 / 1\r\n");
    const auto table = growthTable(history, "P");
    ASSERT_TRUE(table);
    const auto& v = table->versions;
    ASSERT_EQ(v.size(), 5u);
    EXPECT_TRUE(v[0].record.counted());
    EXPECT_EQ(v[1].record.problem, RecordProblem::NoSummary);
    EXPECT_EQ(v[2].record.problem, RecordProblem::DamagedSummary);
    EXPECT_FALSE(v[1].change);
    EXPECT_FALSE(v[2].change);
    EXPECT_FALSE(v[3].change) << "no change from a version without totals";
    EXPECT_EQ(v[4].change, ten(1, 1, 0, 0));
    EXPECT_EQ(describeProblem(v[1].record.problem), "the record has no summary line");
}

TEST_F(GrowthTest, ComparesTwoVersionsModuleByModule) {
    const std::vector<ListingRow> before{row("frmMain.frm", "Form", 50, 80, 5, 5),
                                         row("mdlUtil.bas", "Module", 20, 22, 1, 1),
                                         row("clsOld.cls", "ClassModule", 7, 9, 0, 2),
                                         row("Same.bas", "Module", 3, 3, 0, 0),
                                         {"gone.bas", "Invalid"},
                                         row("twice.bas", "Module", 1, 1, 0, 0),
                                         row("twice.bas", "Module", 2, 2, 0, 0)};
    const std::vector<ListingRow> after{
        row("FRMMAIN.FRM", "Form", 60, 95, 6, 6),        // changed, case ignored
        row("mdlUtil.bas", "Module", 20, 22, 1, 1),      // same
        row("Same.bas", "ClassModule", 3, 3, 0, 0),      // same numbers, other type: changed
        row("gone.bas", "Module", 4, 4, 0, 0),           // was Invalid
        row("clsNew.cls", "ClassModule", 12, 15, 1, 2),  // added
        row("twice.bas", "Module", 1, 1, 0, 0)};         // the second namesake is removed
    save("Shop", "2.1.0", before);
    save("Shop", "2.3.0", after);
    const auto outcome = compareVersions(history, "shop", "2.1.0", "2.3.0");
    ASSERT_TRUE(outcome.comparison) << outcome.failure;
    const auto& c = *outcome.comparison;
    EXPECT_EQ(c.project, "Shop");
    EXPECT_TRUE(c.problems.empty());

    std::map<std::string, std::vector<const ModuleComparison*>> byName;
    for (const auto& m : c.modules) byName[m.module].push_back(&m);
    struct Expect {
        const char* module;
        ModuleStatus status;
        std::optional<TenNumbers> from, to;
    };
    const Expect expected[] = {
        {"FRMMAIN.FRM", ModuleStatus::Changed, ten(50, 80, 5, 5), ten(60, 95, 6, 6)},
        {"mdlUtil.bas", ModuleStatus::Same, ten(20, 22, 1, 1), ten(20, 22, 1, 1)},
        {"Same.bas", ModuleStatus::Changed, ten(3, 3, 0, 0), ten(3, 3, 0, 0)},
        {"gone.bas", ModuleStatus::Changed, TenNumbers{}, ten(4, 4, 0, 0)},
        {"clsNew.cls", ModuleStatus::Added, std::nullopt, ten(12, 15, 1, 2)},
        {"clsOld.cls", ModuleStatus::Removed, ten(7, 9, 0, 2), std::nullopt},
    };
    for (const auto& e : expected) {
        ASSERT_EQ(byName[e.module].size(), 1u) << e.module;
        const auto& m = *byName[e.module][0];
        EXPECT_EQ(m.status, e.status) << e.module;
        EXPECT_EQ(m.from, e.from) << e.module;
        EXPECT_EQ(m.to, e.to) << e.module;
        EXPECT_EQ(m.change, difference(e.from.value_or(TenNumbers{}), e.to.value_or(TenNumbers{})))
            << e.module;
    }
    ASSERT_EQ(byName["twice.bas"].size(), 2u);
    EXPECT_EQ(byName["twice.bas"][0]->status, ModuleStatus::Same);
    EXPECT_EQ(byName["twice.bas"][1]->status, ModuleStatus::Removed);
    EXPECT_EQ(byName["twice.bas"][1]->from, ten(2, 2, 0, 0));
    EXPECT_EQ(c.modules.size(), 8u);

    // The module changes add up to the change of the totals.
    ASSERT_TRUE(c.totalsChange);
    TenNumbers sum{};
    for (const auto& m : c.modules)
        for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += m.change[i];
    EXPECT_EQ(sum, *c.totalsChange);
    EXPECT_EQ(c.fromTotals.modules, 7);
    EXPECT_EQ(c.toTotals.modules, 6);

    // Ordered by module name, letter case ignored.
    for (std::size_t i = 1; i < c.modules.size(); ++i)
        EXPECT_LE(
            tlvx::platform::collation::compareNames(c.modules[i - 1].module, c.modules[i].module),
            0);
}

TEST_F(GrowthTest, AComparisonTellsWhatItCannotCompare) {
    save("Shop", "1.0", {row("a.bas", "Module", 1, 1, 0, 0)});
    save("Shop", "1.1", {row("a.bas", "Module", 2, 2, 0, 0)});
    struct Case {
        const char* project;
        const char* from;
        const char* to;
        const char* failure;
    };
    const Case cases[] = {
        {"Nobody", "1.0", "1.1", "no version history of project \"Nobody\""},
        {"Shop", "1.0", "9.9", "no record of version \"9.9\" of project \"Shop\""},
        {"Shop", "0.1", "1.1", "no record of version \"0.1\" of project \"Shop\""},
    };
    for (const auto& c : cases) {
        const auto outcome = compareVersions(history, c.project, c.from, c.to);
        EXPECT_FALSE(outcome.comparison);
        EXPECT_EQ(outcome.failure.rfind(c.failure, 0), 0u) << outcome.failure;
    }
    // A version compared with itself: all the same.
    const auto self = compareVersions(history, "Shop", "1.1", "1.1");
    ASSERT_TRUE(self.comparison);
    EXPECT_EQ(self.comparison->modules.at(0).status, ModuleStatus::Same);

    // Rows without numbers and a missing summary are told, not counted.
    dir.write("verhis/Shop/1.2",
              "a.bas:Module:x:2:0:0:2:2:2:2:2:2\r\nb.bas:Module:1:1:0:0:1:1:1:1:1:1\r\n");
    const auto damaged = compareVersions(history, "Shop", "1.1", "1.2");
    ASSERT_TRUE(damaged.comparison);
    const auto& d = *damaged.comparison;
    EXPECT_EQ(d.problems, (std::vector<std::string>{
                              "version 1.2: the row of \"a.bas\" holds no numbers and is left out",
                              "version 1.2: the record has no summary line"}));
    EXPECT_FALSE(d.totalsChange);
    EXPECT_EQ(d.toTotals.problem, RecordProblem::NoSummary);
    ASSERT_EQ(d.modules.size(), 2u);
    EXPECT_EQ(d.modules[0].status, ModuleStatus::Removed);  // a.bas: its row left out
    EXPECT_EQ(d.modules[1].status, ModuleStatus::Added);
}

TEST_F(GrowthTest, GrowthOfARealProjectRecordedByItsAnalysis) {
    // The example project, counted and recorded at 1.0.3, then grown by a
    // module and a few lines and counted again as 1.0.10.
    TempDir tree;
    fs::copy(fs::path(TLVX_EXAMPLES_DIR) / "Common", tree / "Common", fs::copy_options::recursive);
    fs::create_directory(dir / "tempprjfiles");
    analysis::ListingModel listing;
    const auto analyse = [&] {
        test::CurrentDirGuard cwd(tree / "Common");
        const auto list =
            analysis::buildProjectList((tree / "Common/Common.vbp").string(), dir / "tempprjfiles");
        ASSERT_TRUE(list);
        const auto done = analyseAndRecord(*list, 0, listing, test::libraryObjects(), history);
        ASSERT_TRUE(done.recorded);
    };
    analyse();
    const std::string project = TempDir::read(tree / "Common/Common.vbp");
    std::string grown = project;
    grown.replace(grown.find("RevisionVer=3"), 13, "RevisionVer=10");
    grown += "Module=mdlMore; mdlMore.bas\r\n";
    tree.write("Common/Common.vbp", grown);
    tree.write("Common/mdlMore.bas",
               "Attribute VB_Name = \"mdlMore\"\r\n' more\r\nPublic X As Long\r\n\r\n");
    analyse();

    const auto table = growthTable(history, "Common");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->versions.size(), 2u);
    EXPECT_EQ(table->versions[0].version, "1.0.3");
    EXPECT_EQ(table->versions[1].version, "1.0.10");
    EXPECT_EQ(table->versions[0].record.totals[0], 15);  // P of the example
    EXPECT_EQ(table->versions[1].record.modules, 3);
    ASSERT_TRUE(table->versions[1].change);
    EXPECT_GT((*table->versions[1].change)[1], 0);

    const auto outcome = compareVersions(history, "Common", "1.0.3", "1.0.10");
    ASSERT_TRUE(outcome.comparison);
    const auto& modules = outcome.comparison->modules;
    ASSERT_EQ(modules.size(), 3u);
    const auto added = std::find_if(modules.begin(), modules.end(),
                                    [](const auto& m) { return m.module == "mdlMore.bas"; });
    ASSERT_NE(added, modules.end());
    EXPECT_EQ(added->status, ModuleStatus::Added);
    EXPECT_EQ(std::count_if(modules.begin(), modules.end(),
                            [](const auto& m) { return m.status == ModuleStatus::Same; }),
              2);
    EXPECT_EQ(outcome.comparison->totalsChange, added->to);
}

TEST_F(GrowthTest, TheHistoryListsVersionsInVersionOrder) {
    for (const char* v : {"1.10.0", "1.9.0", "1.2.0", "2.0.0", "1.9.1"})
        save("P", v, {row("a.bas", "Module", 1, 1, 0, 0)});
    EXPECT_EQ(history.versions("P"),
              (std::vector<std::string>{"1.2.0", "1.9.0", "1.9.1", "1.10.0", "2.0.0"}));
}
