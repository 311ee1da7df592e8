#include "program/ui/listing_table_model.h"

#include <QString>

namespace tlvx::ui {
namespace {

using analysis::kListingColumns;

// "Module File" and "Type" read from the left, the numbers from the right.
Qt::Alignment alignmentOf(int column) {
    return (column < 2 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
}

}  // namespace

int ListingTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(listing_.rowCount());
}

int ListingTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kListingColumns);
}

QVariant ListingTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(listing_.row(
                static_cast<std::size_t>(index.row()))[static_cast<std::size_t>(index.column())]);
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
