#include "program/history/listing_text.h"

#include <gtest/gtest.h>

using namespace tlvx::history;

TEST(ListingText, SeparatorFollowsTheExtension) {
    EXPECT_EQ(separatorForPath("a.CSV"), FieldSeparator::Comma);
    EXPECT_EQ(separatorForPath("a.Csv"), FieldSeparator::Comma);
    EXPECT_EQ(separatorForPath("a.txt"), FieldSeparator::Tab);
    EXPECT_EQ(separatorForPath("a.csvx"), FieldSeparator::Tab);
    EXPECT_EQ(separatorForPath("csv"), FieldSeparator::Tab);
}

TEST(ListingText, HeaderRowAndTotalLines) {
    EXPECT_EQ(headerLine(FieldSeparator::Comma),
              "Module File,Type,P,A,C,B,P - C,P - B,P - C - B,A - C,A - B,A - C -B");
    tlvx::analysis::ListingRow row{"a.bas", "Module", "1", "2", "0", "0",
                                   "1",     "1",      "1", "2", "2", "2"};
    EXPECT_EQ(rowLine(row, FieldSeparator::Tab), "a.bas\tModule\t1\t2\t0\t0\t1\t1\t1\t2\t2\t2");
    EXPECT_EQ(totalLine({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, FieldSeparator::Tab),
              " \tTotal\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10");
    EXPECT_EQ(totalLine({"1", "2"}, FieldSeparator::Tab), "");
}

TEST(ListingText, CsvFieldsWithCommasOrQuotesAreQuoted) {
    tlvx::analysis::ListingRow row{"a,b \"c\".bas", "Invalid"};
    EXPECT_EQ(rowLine(row, FieldSeparator::Comma), "\"a,b \"\"c\"\".bas\",Invalid,,,,,,,,,,");
    // Tab separated text stays as it is.
    EXPECT_EQ(rowLine(row, FieldSeparator::Tab).substr(0, 12), "a,b \"c\".bas\t");
}

TEST(ListingText, CopiedRowsCarryTheHeaderAndTabSeparatedRows) {
    const std::vector<tlvx::analysis::ListingRow> rows = {
        {"Forms\\a,b.frm", "Form", "1", "2", "0", "0", "1", "1", "1", "2", "2", "2"},
        {"gone.bas", "Invalid"}};
    EXPECT_EQ(copiedRowsText(rows),
              "Module File\tType\tP\tA\tC\tB\tP - C\tP - B\tP - C - B\tA - C\tA - B\tA - C -B\n"
              "Forms\\a,b.frm\tForm\t1\t2\t0\t0\t1\t1\t1\t2\t2\t2\n"
              "gone.bas\tInvalid\t\t\t\t\t\t\t\t\t\t\n");
    EXPECT_EQ(copiedRowsText({}), headerLine(FieldSeparator::Tab) + "\n");
}
