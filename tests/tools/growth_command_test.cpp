// tlvx-count --growth and --compare over records written by the recording
// code: the tab, CSV and JSON shapes with their numbers, and the statuses
// of what cannot be answered.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "program/analysis/summary_line.h"
#include "program/history/version_history.h"
#include "tests/support/temp_dir.h"
#include "tools/tlvx-count/count_command.h"

using tlvx::analysis::ListingRow;
using tlvx::test::TempDir;

namespace {

namespace fs = std::filesystem;

ListingRow row(const std::string& file, const std::string& type, int64_t p, int64_t a, int64_t c,
               int64_t b) {
    ListingRow r{file, type};
    const auto ten = tlvx::analysis::tenNumbers({p, a, c, b});
    for (std::size_t i = 0; i < ten.size(); ++i) r[i + 2] = std::to_string(ten[i]);
    return r;
}

struct QueryRun {
    int status;
    std::string out;
    std::string err;
};

class GrowthCommandTest : public ::testing::Test {
protected:
    GrowthCommandTest() {
        fs::create_directory(root);
        const tlvx::history::VersionHistory history(root);
        // 1.10.0 sorts after 1.9.0; 1.9.0 drops old.bas and adds frmMain.frm.
        history.save(
            "Billing", "1.10.0",
            {row("frmMain.frm", "Form", 30, 50, 2, 3), row("a.bas", "Module", 12, 14, 1, 1)},
            tlvx::analysis::summaryLine({42, 64, 3, 4}, 2));
        history.save("Billing", "1.9.0",
                     {row("a.bas", "Module", 10, 12, 1, 1), row("old.bas", "Module", 5, 5, 0, 0)},
                     tlvx::analysis::summaryLine({15, 17, 1, 1}, 2));
        for (const char* v : {"1.9.0", "1.10.0"})
            fs::last_write_time(root / "Billing" / v,
                                std::chrono::file_clock::from_sys(
                                    std::chrono::sys_seconds(std::chrono::seconds(1'796'778'123))));
    }
    QueryRun run(std::vector<std::string> args) {
        args.push_back("--history");
        args.push_back(root.string());
        std::ostringstream out, err;
        const int status = tlvx::count::runCountCommand(args, out, err);
        return {status, out.str(), err.str()};
    }

    TempDir dir;
    fs::path root = dir / "verhis";
};

}  // namespace

TEST_F(GrowthCommandTest, TheGrowthInEachShape) {
    const auto tab = run({"--growth", "billing"});
    ASSERT_EQ(tab.status, 0) << tab.err;
    EXPECT_EQ(
        tab.out,
        "Version\tRecorded\tModules\tP\tA\tC\tB\tP - C\tP - B\tP - C - B\tA - C\tA - B\tA - C "
        "- B\tChange P\tChange A\tChange C\tChange B\tChange P - C\tChange P - B\tChange P - C "
        "- B\tChange A - C\tChange A - B\tChange A - C - B\n"
        "1.9.0\t2026-12-09T01:02:03Z\t2\t15\t17\t1\t1\t14\t14\t13\t16\t16\t15\t\t\t\t\t\t\t\t\t"
        "\t\n"
        "1.10.0\t2026-12-09T01:02:03Z\t2\t42\t64\t3\t4\t39\t38\t35\t61\t60\t57\t27\t47\t2\t3\t25"
        "\t24\t22\t45\t44\t42\n");
    EXPECT_TRUE(tab.err.empty());

    const auto csv = run({"--csv", "--growth", "Billing"});
    ASSERT_EQ(csv.status, 0);
    EXPECT_NE(csv.out.find("\n1.10.0,2026-12-09T01:02:03Z,2,42,64,3,4,39,38,35,61,60,57,27,47,"),
              std::string::npos)
        << csv.out;

    const auto json = run({"--growth", "Billing", "--json"});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(json.out,
              "{\"project\":\"Billing\",\"columns\":[\"P\",\"A\",\"C\",\"B\",\"P - C\",\"P - "
              "B\",\"P - C - B\",\"A - C\",\"A - B\",\"A - C - B\"],\"versions\":[\n"
              "{\"version\":\"1.9.0\",\"recorded\":\"2026-12-09T01:02:03Z\",\"modules\":2,"
              "\"totals\":[15,17,1,1,14,14,13,16,16,15],\"change\":null},\n"
              "{\"version\":\"1.10.0\",\"recorded\":\"2026-12-09T01:02:03Z\",\"modules\":2,"
              "\"totals\":[42,64,3,4,39,38,35,61,60,57],\"change\":[27,47,2,3,25,24,22,45,44,42]}"
              "]}\n");
}

TEST_F(GrowthCommandTest, TheComparisonInEachShape) {
    const auto json = run({"--json", "--compare", "Billing", "1.9.0", "1.10.0"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(
        json.out,
        "{\"project\":\"Billing\",\"from\":\"1.9.0\",\"to\":\"1.10.0\",\"columns\":[\"P\","
        "\"A\",\"C\",\"B\",\"P - C\",\"P - B\",\"P - C - B\",\"A - C\",\"A - B\",\"A - C - "
        "B\"],\"modules\":[\n"
        "{\"module\":\"a.bas\",\"type\":\"Module\",\"status\":\"changed\",\"from\":[10,12,1,"
        "1,9,9,8,11,11,10],\"to\":[12,14,1,1,11,11,10,13,13,12],\"change\":[2,2,0,0,2,2,2,2,"
        "2,2]},\n"
        "{\"module\":\"frmMain.frm\",\"type\":\"Form\",\"status\":\"added\",\"from\":null,"
        "\"to\":[30,50,2,3,28,27,25,48,47,45],\"change\":[30,50,2,3,28,27,25,48,47,45]},\n"
        "{\"module\":\"old.bas\",\"type\":\"Module\",\"status\":\"removed\",\"from\":[5,5,0,0,"
        "5,5,5,5,5,5],\"to\":null,\"change\":[-5,-5,0,0,-5,-5,-5,-5,-5,-5]}],\n"
        "\"totals\":{\"from\":[15,17,1,1,14,14,13,16,16,15],\"to\":[42,64,3,4,39,38,35,61,60,"
        "57],\"change\":[27,47,2,3,25,24,22,45,44,42]}}\n");

    const auto csv = run({"--compare", "Billing", "1.9.0", "1.10.0", "--csv"});
    ASSERT_EQ(csv.status, 0);
    std::vector<std::string> lines;
    std::istringstream in(csv.out);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("Module File,Type,Status,From P,From A,", 0), 0u);
    EXPECT_EQ(lines[3],
              "old.bas,Module,removed,5,5,0,0,5,5,5,5,5,5,,,,,,,,,,,-5,-5,0,0,-5,-5,-5,"
              "-5,-5,-5");
    EXPECT_EQ(lines[4].rfind(" ,Total,,15,17,1,1,", 0), 0u);
}

TEST_F(GrowthCommandTest, WhatCannotBeAnsweredIsOneLineAndStatusTwo) {
    fs::create_directory(root / "Empty");
    const std::vector<std::vector<std::string>> cases = {
        {"--growth", "Nobody"},
        {"--growth", "Empty"},  // a project folder without records
        {"--compare", "Nobody", "1", "2"},
        {"--compare", "Billing", "1.9.0", "9.9.9"},
        {"--compare", "Billing", "1.9"},  // too few versions
        {"--growth", "Billing", "--compare", "Billing", "1.9.0", "1.10.0"},
        {"--growth", "Billing", "--record"},
        {"--growth", "Billing", "extra"},
        {"--growth"},
    };
    for (const auto& args : cases) {
        const auto r = run(args);
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_TRUE(r.out.empty()) << shown;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << r.err;
    }
    EXPECT_NE(run({"--compare", "Billing", "1.9.0", "9.9.9"}).err.find("\"9.9.9\""),
              std::string::npos);
}

TEST_F(GrowthCommandTest, ADamagedRecordIsPrintedAsUnknownAndTold) {
    dir.write("verhis/Billing/1.11.0", "a.bas:Module:12:14:1:1:11:11:10:13:13:12\r\n");
    const auto growth = run({"--growth", "Billing", "--json"});
    EXPECT_EQ(growth.status, 1);
    EXPECT_NE(growth.out.find("{\"version\":\"1.11.0\",\"recorded\":\""), std::string::npos);
    EXPECT_NE(growth.out.find("\"modules\":null,\"totals\":null,\"change\":null,\"problem\":\"the "
                              "record has no summary line\"}"),
              std::string::npos)
        << growth.out;
    EXPECT_EQ(growth.err, "tlvx-count: Billing 1.11.0: the record has no summary line\n");

    const auto compare = run({"--compare", "Billing", "1.10.0", "1.11.0", "--json"});
    EXPECT_EQ(compare.status, 1);
    EXPECT_NE(compare.out.find("\"totals\":{\"from\":[42,64,3,4,39,38,35,61,60,57],\"to\":null,"
                               "\"change\":null}"),
              std::string::npos);
    EXPECT_EQ(compare.err, "tlvx-count: Billing version 1.11.0: the record has no summary line\n");
}

TEST_F(GrowthCommandTest, TheHelpTellsOfBoth) {
    std::ostringstream out, err;
    EXPECT_EQ(tlvx::count::runCountCommand({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("--growth NAME"), std::string::npos);
    EXPECT_NE(out.str().find("--compare NAME V1 V2"), std::string::npos);
}
