#pragma once
// The list view of a result listing, as both windows show it: report style
// with the twelve columns, their widths and alignment, sorted by a click on
// a column header, the sort indicator showing the listing's column and
// direction.

#include <QTreeView>

#include <array>

#include "program/ui/listing_table_model.h"

namespace tlvx::ui {

// Column widths in twips.
using ListingWidths = std::array<int, analysis::kListingColumns>;

// What the summary line below a listing says while no listing is shown.
inline QString initialSummaryText() {
    return QStringLiteral("Total Lines: please choose a project/group first.");
}

// A view named "lsv" over `model`.
QTreeView* makeListingView(ListingTableModel& model, const ListingWidths& widths, QWidget* parent);

}  // namespace tlvx::ui
