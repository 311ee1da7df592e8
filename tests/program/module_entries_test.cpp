#include "program/analysis/module_entries.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

using namespace tlvx::analysis;
using tlvx::test::TempDir;

TEST(ModuleEntries, RecognisesTheSevenKeysAndTakesThePathAsWritten) {
    EXPECT_EQ(modulePathOfLine("Form=frmMain.frm"), "frmMain.frm");
    EXPECT_EQ(modulePathOfLine("FORM=Main.FRM"), "Main.FRM");
    EXPECT_EQ(modulePathOfLine("Form=  sub\\x.frm  "), "sub\\x.frm");
    EXPECT_EQ(modulePathOfLine("Module=mdlA; mdlA.bas"), "mdlA.bas");
    EXPECT_EQ(modulePathOfLine("Class=clsItem; clsItem.cls"), "clsItem.cls");
    EXPECT_EQ(modulePathOfLine("UserControl=ctlX.ctl"), "ctlX.ctl");
    EXPECT_EQ(modulePathOfLine("PropertyPage=pagX.pag"), "pagX.pag");
    EXPECT_EQ(modulePathOfLine("Designer=dsrX.Dsr"), "dsrX.Dsr");
    EXPECT_EQ(modulePathOfLine("UserDocument=docX.dob"), "docX.dob");
    // Only spaces are trimmed; a tab stays part of the path.
    EXPECT_EQ(modulePathOfLine("Form=\tx.frm"), "\tx.frm");
    // The second field only, even when there are more.
    EXPECT_EQ(modulePathOfLine("Module=a; b.bas; c"), "b.bas");
}

TEST(ModuleEntries, IgnoresLinesThatNameNoModule) {
    EXPECT_FALSE(modulePathOfLine("Module=mdlA"));  // no second field
    EXPECT_FALSE(modulePathOfLine(" Form=x.frm"));  // leading space
    EXPECT_FALSE(modulePathOfLine("Name=\"Form=x\""));
    EXPECT_FALSE(modulePathOfLine("Forms=x.frm"));
    EXPECT_FALSE(modulePathOfLine(""));
    EXPECT_FALSE(modulePathOfLine("Reference=*\\G{000}#2.0#0#x.tlb#OLE"));
}

TEST(ModuleEntries, ReadsRowsInFileOrderWithDuplicates) {
    TempDir dir;
    const auto copy = dir.write("p.vbp",
                                "[Info]\r\nType=Exe\r\nForm=a.frm\r\nModule=m; m.bas\r\n"
                                "Form=a.frm\rClass=c; c.cls\r\n\r\n[Other]\r\nForm=z.frm\r\n");
    ListingModel listing;
    listing.addRow("left over");
    listing.setSorted(true);
    ASSERT_TRUE(readModuleEntries(copy, listing));
    EXPECT_FALSE(listing.sorted());
    ASSERT_EQ(listing.rowCount(), 5u);
    EXPECT_EQ(listing.row(0)[0], "a.frm");
    EXPECT_EQ(listing.row(1)[0], "m.bas");
    EXPECT_EQ(listing.row(2)[0], "a.frm");
    EXPECT_EQ(listing.row(3)[0], "c.cls");  // a lone CR ends a line
    EXPECT_EQ(listing.row(4)[0], "z.frm");  // further sections are read too
}

TEST(ModuleEntries, MissingWorkingCopyGivesAnEmptyListing) {
    TempDir dir;
    ListingModel listing;
    listing.addRow("left over");
    EXPECT_FALSE(readModuleEntries(dir / "none.vbp", listing));
    EXPECT_EQ(listing.rowCount(), 0u);
}

TEST(ModuleEntries, PathsOutsideTheCodePageAreKeptAsText) {
    TempDir dir;
    const auto copy = dir.write("p.vbp", "[Info]\r\nForm=Caf\xe9.frm\r\n");
    ListingModel listing;
    ASSERT_TRUE(readModuleEntries(copy, listing));
    EXPECT_EQ(listing.row(0)[0], "Caf\xc3\xa9.frm");
}
