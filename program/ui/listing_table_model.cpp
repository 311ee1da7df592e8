#include "program/ui/listing_table_model.h"

#include <QString>

namespace tlvx::ui {
namespace {

using analysis::kListingColumns;

// "Module File" and "Type" read from the left, the numbers from the right.
Qt::Alignment alignmentOf(int column) {
    return (column < 2 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
}

// What each column holds, as its header's tool tip says it.
const char* const kColumnTips[kListingColumns] = {
    "The module's file, as the project file names it",
    "The module's kind: Form, Module, ClassModule, UserControl, ... or Invalid when its file "
    "was not found",
    "P: pure code lines, the lines written by hand (every line after the header the "
    "development environment writes)",
    "A: all lines of the module's file",
    "C: comment lines",
    "B: blank lines",
    "P - C: pure code lines that are no comments",
    "P - B: pure code lines that are not blank",
    "P - C - B: pure code lines that are neither comments nor blank",
    "A - C: all lines but the comments",
    "A - B: all lines but the blank ones",
    "A - C - B: all lines but the comments and the blank ones",
};

constexpr std::size_t kTypeColumn = 1;

}  // namespace

int ListingTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(listing_.rowCount());
}

int ListingTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kListingColumns);
}

QVariant ListingTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const auto& row = listing_.row(static_cast<std::size_t>(index.row()));
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(row[static_cast<std::size_t>(index.column())]);
        case Qt::ToolTipRole:
            // An Invalid row says which file was not found, in every column.
            if (row[kTypeColumn] == "Invalid")
                return QStringLiteral("Module file not found: %1")
                    .arg(QString::fromStdString(row[0]));
            return QString::fromStdString(row[static_cast<std::size_t>(index.column())]);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignmentOf(index.column()));
        default:
            return {};
    }
}

QVariant ListingTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    switch (role) {
        case Qt::DisplayRole: {
            const auto header = analysis::kListingHeaders[static_cast<std::size_t>(section)];
            return QString::fromUtf8(header.data(), static_cast<qsizetype>(header.size()));
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignmentOf(section));
        case Qt::ToolTipRole:
            return QString::fromLatin1(kColumnTips[section]);
        default:
            return {};
    }
}

void ListingTableModel::sortByHeaderClick(int column) {
    if (column < 0 || column >= columnCount()) return;
    change([column](analysis::ListingModel& listing) {
        listing.setSortColumn(static_cast<std::size_t>(column));
        listing.setSortOrder(listing.sortOrder() == analysis::SortOrder::Ascending
                                 ? analysis::SortOrder::Descending
                                 : analysis::SortOrder::Ascending);
    });
}

}  // namespace tlvx::ui
