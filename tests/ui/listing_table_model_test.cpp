// The listing as Qt's views see it: texts and alignment, header clicks that
// flip the order, and views that follow the listing's changes.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>

#include "program/ui/listing_table_model.h"
#include "program/ui/listing_view.h"
#include "program/ui/window_look.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

using analysis::ListingModel;
using analysis::ListingRow;
using analysis::SortOrder;

ListingRow row(const std::string& file, const std::string& p) {
    return ListingRow{file, "Module", p, "1", "0", "0", "1", "1", "1", "1", "1", "1"};
}

class ListingTableModelTest : public testing::Test {
protected:
    ListingTableModelTest() {
        listing.addRow(row("b.bas", "10"));
        listing.addRow(row("A.bas", "9"));
        listing.addRow(row("c.bas", "100"));
    }
    ListingModel listing;
    ui::ListingTableModel model{listing};
    // Checks every answer and every change signal of the model against
    // Qt's rules for item models; a broken rule ends the test program.
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ListingTableModelTest, GivesTheTextsAlignedByKind) {
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 12);
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("b.bas"));
    EXPECT_EQ(model.index(2, 2).data().toString(), QStringLiteral("100"));
    EXPECT_EQ(model.headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("P - C - B"));
    const auto alignment = [&](int column) {
        return model.index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(0), Qt::AlignLeft);
    EXPECT_EQ(alignment(1), Qt::AlignLeft);
    for (int c = 2; c < 12; ++c) EXPECT_EQ(alignment(c), Qt::AlignRight) << c;
    EXPECT_FALSE(model.index(0, 12).isValid());
    EXPECT_FALSE(model.headerData(12, Qt::Horizontal, Qt::DisplayRole).isValid());
}

TEST_F(ListingTableModelTest, HeaderClickTakesTheColumnAndFlipsTheOrder) {
    listing.setSorted(true);
    const auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts.append(model.index(r, c).data().toString());
        return texts;
    };
    // Case-blind, and numbers by value.
    EXPECT_EQ(column(0), (QStringList{"A.bas", "b.bas", "c.bas"}));
    model.sortByHeaderClick(2);
    EXPECT_EQ(listing.sortOrder(), SortOrder::Descending);
    EXPECT_EQ(column(2), (QStringList{"100", "10", "9"}));
    model.sortByHeaderClick(2);
    EXPECT_EQ(column(2), (QStringList{"9", "10", "100"}));
    model.sortByHeaderClick(0);
    EXPECT_EQ(column(0), (QStringList{"c.bas", "b.bas", "A.bas"}));
    model.sortByHeaderClick(12);  // no such column: nothing changes
    EXPECT_EQ(listing.sortColumn(), 0u);
    EXPECT_EQ(listing.sortOrder(), SortOrder::Descending);

    // While sorting is off, a click chooses the order for later.
    listing.setSorted(false);
    listing.clear();
    listing.addRow(row("z.bas", "1"));
    listing.addRow(row("y.bas", "2"));
    model.sortByHeaderClick(0);
    EXPECT_EQ(column(0), (QStringList{"z.bas", "y.bas"}));
    EXPECT_EQ(listing.sortOrder(), SortOrder::Ascending);
}

TEST_F(ListingTableModelTest, ViewsFollowChangesAndAskNothingOfGoneRows) {
    auto* view = new ui::ListingView(
        model, {1900, 1300, 730, 730, 730, 730, 730, 730, 857, 730, 730, 857}, nullptr);
    std::unique_ptr<QTreeView> owner(view);
    EXPECT_EQ(view->objectName(), QStringLiteral("lsv"));
    view->resize(600, 200);
    view->show();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    const QModelIndex last = model.index(2, 0);
    model.change([](ListingModel& changed) { changed.clear(); });
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(view->model()->rowCount(), 0);
    // An index from before the change gives nothing.
    EXPECT_FALSE(model.data(last, Qt::DisplayRole).isValid());

    // The views are told also when the change fails half-way.
    EXPECT_THROW(model.change([](ListingModel& changed) {
        changed.addRow(row("x.bas", "1"));
        throw std::runtime_error("failed");
    }),
                 std::runtime_error);
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(view->model()->rowCount(), 1);

    // A header click sorts, and the indicator shows the listing's choice.
    QHeaderView* header = view->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(listing.sortColumn(), 1u);
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_GE(header->sectionSize(1), ui::twips(1300));
}

}  // namespace
}  // namespace tlvx::test
