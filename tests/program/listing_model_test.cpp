#include "program/analysis/listing_model.h"

#include <gtest/gtest.h>

#include "program/analysis/summary_line.h"

using namespace tlvx::analysis;

namespace {

std::vector<std::string> column(const ListingModel& m, std::size_t c) {
    std::vector<std::string> out;
    for (const auto& r : m.rows()) out.push_back(r[c]);
    return out;
}

}  // namespace

TEST(ListingModel, KeepsInsertionOrderWhileUnsorted) {
    ListingModel m;
    m.addRow("b.bas");
    m.addRow("A.frm");
    m.addRow("c.cls");
    EXPECT_EQ(column(m, 0), (std::vector<std::string>{"b.bas", "A.frm", "c.cls"}));
}

TEST(ListingModel, SortsNamesIgnoringCaseAndNumbersByValueKeepingEqualRowsInOrder) {
    ListingModel m;
    for (const char* name : {"b.bas", "A.frm", "a.frm", "C.cls"}) m.addRow(name);
    m.setText(0, 2, "9");
    m.setText(1, 2, "10");
    m.setText(2, 2, "10");
    m.setText(3, 2, "100");
    m.setSorted(true);
    EXPECT_EQ(column(m, 0), (std::vector<std::string>{"A.frm", "a.frm", "b.bas", "C.cls"}));

    // Numbers sort by their values: 9 before 10 before 100.
    m.setSortColumn(2);
    EXPECT_EQ(column(m, 2), (std::vector<std::string>{"9", "10", "10", "100"}));
    EXPECT_EQ(column(m, 0)[1], "A.frm");  // equal numbers keep their order

    m.setSortOrder(SortOrder::Descending);
    EXPECT_EQ(column(m, 2), (std::vector<std::string>{"100", "10", "10", "9"}));
    EXPECT_EQ(column(m, 0)[1], "A.frm");  // still in their earlier order
}

// Each number column, both ways, with Invalid rows (empty cells), a
// negative number and numbers whose texts sort otherwise.
TEST(ListingModel, NumberColumnsSortByValueWithInvalidRowsAfterTheNumbers) {
    struct Case {
        std::vector<std::string> cells;  // in insertion order
        SortOrder order;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{"1", "10", "", "100", "13", "8", "-2"},
         SortOrder::Ascending,
         {"-2", "1", "8", "10", "13", "100", ""}},
        {{"1", "10", "", "100", "13", "8", "-2"},
         SortOrder::Descending,
         {"", "100", "13", "10", "8", "1", "-2"}},
        {{"", "", "0", ""}, SortOrder::Ascending, {"0", "", "", ""}},
        {{"", "", "0", ""}, SortOrder::Descending, {"", "", "", "0"}},
        // Beyond 32 bits, and leading zeros a hand-edited record may hold.
        {{"2147483648", "007", "-2147483649", "9"},
         SortOrder::Ascending,
         {"-2147483649", "007", "9", "2147483648"}},
        // A text that is no number (a hand-edited record) after the numbers,
        // before the empty cells as names order them.
        {{"x", "", "3"}, SortOrder::Ascending, {"3", "", "x"}},
    };
    for (std::size_t c = 2; c < kListingColumns; ++c) {
        for (const Case& test : cases) {
            ListingModel m;
            for (std::size_t i = 0; i < test.cells.size(); ++i) {
                ListingRow row;
                row[0] = "m" + std::to_string(i) + ".bas";
                row[1] = test.cells[i].empty() ? "Invalid" : "Module";
                row[c] = test.cells[i];
                m.addRow(row);
            }
            m.setSortColumn(c);
            m.setSortOrder(test.order);
            m.setSorted(true);
            EXPECT_EQ(column(m, c), test.expected) << "column " << c;
        }
    }
    // The two text columns stay in name order: "Invalid" after "Form".
    ListingModel m;
    m.addRow(ListingRow{"b.bas", "Invalid"});
    m.addRow(ListingRow{"a.frm", "Form", "10"});
    m.setSortColumn(1);
    m.setSorted(true);
    EXPECT_EQ(column(m, 1), (std::vector<std::string>{"Form", "Invalid"}));
}

TEST(ListingModel, NonAsciiLettersCompareWithoutCase) {
    ListingModel m;
    m.addRow(
        "\xc3\x9c"
        "ber.frm");  // Über
    m.addRow(
        "\xc3\xa4"
        "rger.frm");  // ärger
    m.setSorted(true);
    EXPECT_EQ(m.row(0)[0],
              "\xc3\xa4"
              "rger.frm");
}

TEST(ListingModel, OrdersNamesAsTheDesktopDoes) {
    ListingModel m;
    for (const char* name : {"Fonctions.bas", "Forms\\Main.frm", "Fonct_do.bas", "10.bas", "9.bas",
                             "\u00E9diteur.frm", "Editeur2.frm", "_Base.bas"})
        m.addRow(name);
    m.setSorted(true);
    const std::vector<std::string> ascending = {
        "_Base.bas",    "10.bas",       "9.bas",         "\u00E9diteur.frm",
        "Editeur2.frm", "Fonct_do.bas", "Fonctions.bas", "Forms\\Main.frm"};
    EXPECT_EQ(column(m, 0), ascending);

    // Distinct keys come in exactly the reverse order.
    m.setSortOrder(SortOrder::Descending);
    EXPECT_EQ(column(m, 0), std::vector<std::string>(ascending.rbegin(), ascending.rend()));
}

TEST(ListingModel, RowsWithEqualKeysKeepTheirOrderBothWays) {
    ListingModel m;
    for (const char* name : {"b.frm", "FORM.frm", "a.frm", "form.FRM", "Form.frm"}) m.addRow(name);
    m.setSorted(true);
    EXPECT_EQ(column(m, 0),
              (std::vector<std::string>{"a.frm", "b.frm", "FORM.frm", "form.FRM", "Form.frm"}));
    m.setSortOrder(SortOrder::Descending);
    EXPECT_EQ(column(m, 0),
              (std::vector<std::string>{"FORM.frm", "form.FRM", "Form.frm", "b.frm", "a.frm"}));
}

TEST(SummaryLine, BuildsAndReducesTheTotals) {
    const std::string s = summaryLine(LineTotals{120, 150, 10, 20}, 4);
    EXPECT_EQ(s,
              "Total: 120 / 150 / 10 / 20 / 110 / 100 / 90 / 140 / 130 / 120 code lines in 4 "
              "modules (same order as above).");
    EXPECT_EQ(summaryNumbers(s), (std::vector<std::string>{"120", "150", "10", "20", "110", "100",
                                                           "90", "140", "130", "120"}));
    EXPECT_EQ(summaryLine({}, 0),
              "Total: 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 code lines in 0 modules (same order "
              "as above).");
}

TEST(SummaryLine, TextsThatAreNoSummaryYieldNoTenNumbers) {
    EXPECT_TRUE(summaryNumbers("").empty());
    EXPECT_EQ(summaryNumbers("Total Lines: please choose a project/group first.").size(), 1u);
    EXPECT_EQ(summaryNumbers("Total: -1 / 0 code lines in 1 modules").size(), 2u);
    // Negative totals survive the reduction.
    EXPECT_EQ(summaryNumbers(summaryLine({-1, 0, 0, 0}, 1))[0], "-1");
}
