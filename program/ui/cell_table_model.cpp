#include "program/ui/cell_table_model.h"

#include <limits>

namespace tlvx::ui {
namespace {

// Below every count, so that a missing value sorts apart from zero.
constexpr qlonglong kNoValue = std::numeric_limits<qlonglong>::min();

}  // namespace

Cell countCell(std::optional<int64_t> value) {
    if (!value) return {QStringLiteral("\u2014"), kNoValue};
    return {QString::number(*value), static_cast<qlonglong>(*value)};
}

Cell changeCell(std::optional<int64_t> value) {
    if (!value) return {QStringLiteral("\u2014"), kNoValue};
    Cell cell{QString::number(*value), static_cast<qlonglong>(*value)};
    if (*value > 0) {
        cell.text.prepend(QLatin1Char('+'));
        cell.colour = QColor(0, 128, 0);
    } else if (*value < 0) {
        cell.colour = QColor(176, 0, 0);
    }
    return cell;
}

void CellTableModel::reset(const QStringList& headers, std::vector<std::vector<Cell>> rows,
                           int textColumns) {
    beginResetModel();
    headers_ = headers;
    rows_ = std::move(rows);
    textColumns_ = textColumns;
    endResetModel();
}

int CellTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CellTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant CellTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const auto& row = rows_[static_cast<std::size_t>(index.row())];
    if (static_cast<std::size_t>(index.column()) >= row.size()) return {};
    const Cell& cell = row[static_cast<std::size_t>(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return cell.text;
        case kSortRole:
            return cell.key.isValid() ? cell.key : QVariant(cell.text);
        case Qt::ForegroundRole:
            return cell.colour.isValid() ? QVariant(cell.colour) : QVariant();
        case Qt::ToolTipRole:
            return cell.toolTip.isEmpty() ? QVariant() : QVariant(cell.toolTip);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                Qt::AlignVCenter |
                (index.column() < textColumns_ ? Qt::AlignLeft : Qt::AlignRight));
        default:
            return {};
    }
}

QVariant CellTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
    if (role == Qt::DisplayRole) return headers_[section];
    return {};
}

}  // namespace tlvx::ui
