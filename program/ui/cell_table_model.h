#pragma once
// A table of ready-made cells for the growth view: each cell carries its
// text, the key it sorts by (numbers as numbers, versions in version
// order), and optionally a colour and a tool tip. The first `textColumns`
// columns are left-aligned, the others (numbers) right-aligned.

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <vector>

namespace tlvx::ui {

struct Cell {
    QString text;
    QVariant key = {};  // what the column sorts by; the text when empty
    QColor colour = {};
    QString toolTip = {};
};

// A count, or a dash where there is none (sorting first).
Cell countCell(std::optional<int64_t> value);
// A change with its sign, green when it grew and red when it shrank.
Cell changeCell(std::optional<int64_t> value);

class CellTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Sorts by this role (QSortFilterProxyModel::setSortRole).
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void reset(const QStringList& headers, std::vector<std::vector<Cell>> rows, int textColumns);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList headers_;
    std::vector<std::vector<Cell>> rows_;
    int textColumns_ = 0;
};

}  // namespace tlvx::ui
