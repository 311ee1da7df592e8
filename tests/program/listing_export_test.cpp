#include "program/history/listing_export.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

using namespace tlvx::history;
using tlvx::analysis::ListingRow;
using tlvx::test::TempDir;

namespace {

// Answers and records the message boxes.
struct RecordedMessages : MessageBoxes {
    std::vector<std::string> information_, warnings;
    void information(const std::string& text) override { information_.push_back(text); }
    void warning(const std::string& text) override { warnings.push_back(text); }
    Answer question(const std::string&) override { return Answer::Yes; }
};

constexpr std::chrono::year_month_day kDay{std::chrono::year(2012), std::chrono::December,
                                           std::chrono::day(31)};

ExportRequest billing() {
    ExportRequest r;
    r.firstName = "Billing";
    r.secondName = "2.1.0";
    r.rows = {ListingRow{"b.bas", "Module", "1", "2", "0", "0", "1", "1", "1", "2", "2", "2"},
              ListingRow{"a,b.frm", "Invalid"}};
    r.summary =
        "Total: 1 / 2 / 0 / 0 / 1 / 1 / 1 / 2 / 2 / 2 code lines in 2 modules (same order as "
        "above).";
    return r;
}

}  // namespace

TEST(ListingExport, DefaultNameCarriesProjectVersionAndDate) {
    EXPECT_EQ(defaultExportName("Billing", "2.1.0", kDay), "Billing_2.1.0_20121231");
    EXPECT_EQ(
        defaultExportName("", "..",
                          std::chrono::year_month_day{std::chrono::year(2026), std::chrono::March,
                                                      std::chrono::day(5)}),
        "_.._20260305");
}

// A hand-edited project name or version may hold what no file name can.
TEST(ListingExport, DefaultNameReplacesWhatAFileNameCannotHold) {
    const struct {
        const char* first;
        const char* second;
        const char* expected;
    } cases[] = {
        {"Billing/Old", "2.1", "Billing_Old_2.1_20121231"},
        {"..\\..\\etc", "1.0.0", ".._.._etc_1.0.0_20121231"},
        {"A:B*C?", "\"1\"<2>|", "A_B_C___1__2___20121231"},
        {"Tab\there", "new\nline", "Tab_here_new_line_20121231"},
        {"Caf\xc3\xa9", "1.0", "Caf\xc3\xa9_1.0_20121231"},  // letters beyond ASCII stay
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultExportName(c.first, c.second, kDay), c.expected) << c.first;
    EXPECT_EQ(defaultExportName(std::string("a\0b", 3), "1", kDay), "a_b_1_20121231");
}

TEST(ListingExport, TabAndCommaFilesWithTotalLine) {
    TempDir dir;
    RecordedMessages messages;
    std::string proposed;
    const auto txt = (dir / "out.TXT").string();
    exportListing(
        billing(),
        [&](const std::string& p) {
            proposed = p;
            return txt;
        },
        messages, kDay);
    EXPECT_EQ(proposed, "Billing_2.1.0_20121231");
    EXPECT_EQ(TempDir::read(txt),
              "Module File\tType\tP\tA\tC\tB\tP - C\tP - B\tP - C - B\tA - C\tA - B\tA - C -B\r\n"
              "b.bas\tModule\t1\t2\t0\t0\t1\t1\t1\t2\t2\t2\r\n"
              "a,b.frm\tInvalid\t\t\t\t\t\t\t\t\t\t\r\n"
              " \tTotal\t1\t2\t0\t0\t1\t1\t1\t2\t2\t2\r\n");
    const auto csv = (dir / "out.Csv").string();
    exportListing(
        billing(), [&](const std::string&) { return csv; }, messages, kDay);
    const std::string text = TempDir::read(csv);
    EXPECT_NE(text.find("\r\n\"a,b.frm\",Invalid,,,,,,,,,,\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n ,Total,1,2,"), std::string::npos);
    EXPECT_EQ(messages.information_, (std::vector<std::string>{kExported, kExported}));
}

TEST(ListingExport, NoRowsNoDialogAndNoTotalWithoutSummary) {
    TempDir dir;
    RecordedMessages messages;
    bool asked = false;
    ExportRequest empty = billing();
    empty.rows.clear();
    exportListing(
        empty,
        [&](const std::string&) {
            asked = true;
            return std::string();
        },
        messages, kDay);
    EXPECT_FALSE(asked);
    EXPECT_EQ(messages.information_, std::vector<std::string>{kNothingToExport});

    ExportRequest noSummary = billing();
    noSummary.summary = "Total Lines: please choose a project/group first.";
    const auto path = (dir / "x.txt").string();
    exportListing(
        noSummary, [&](const std::string&) { return path; }, messages, kDay);
    EXPECT_EQ(TempDir::read(path).find("Total"), std::string::npos);

    // Cancel writes nothing and says nothing.
    messages.information_.clear();
    exportListing(
        billing(), [](const std::string&) { return std::string(); }, messages, kDay);
    EXPECT_TRUE(messages.information_.empty());
}

TEST(ListingExport, AFileThatCannotBeWrittenGivesAWarningNamingIt) {
    TempDir dir;
    RecordedMessages messages;
    const auto missing = (dir / "no/such/folder/out.txt").string();
    exportListing(
        billing(), [&](const std::string&) { return missing; }, messages, kDay);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_NE(messages.warnings[0].find(missing), std::string::npos);
    EXPECT_TRUE(messages.information_.empty()) << "no success message after a failure";

    // An existing file in a folder the user cannot write stays as it was.
    const auto kept = dir.write("ro/out.txt", "previous");
    namespace fs = std::filesystem;
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(kept, fs::perms::all);
    EXPECT_TRUE(tlvx::test::runUnprivileged([&] {
        RecordedMessages m;
        exportListing(
            billing(), [&](const std::string&) { return kept.string(); }, m, kDay);
        return m.warnings.size() == 1 && m.information_.empty();
    }));
    EXPECT_EQ(TempDir::read(kept), "previous");
}
