#pragma once
// The result listing: rows of twelve texts. While sorting is off, rows keep
// the order in which they were added; while it is on, they are ordered by the
// sort column, rows with equal keys keeping their order: "Module File" and
// "Type" as the desktop orders names (letter case ignored), the ten number
// columns by their values (9 before 10), an empty cell (an Invalid row's)
// above every number, so that it comes after them ascending and before them
// descending. The windows show such a model; analysis, history and export
// work on it, never on widgets.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::analysis {

inline constexpr std::size_t kListingColumns = 12;
using ListingRow = std::array<std::string, kListingColumns>;  // UTF-8 texts

// The list's own column headers.
extern const std::array<std::string_view, kListingColumns> kListingHeaders;

enum class SortOrder { Ascending, Descending };

// How two texts of `column` compare in the listing's ascending order:
// negative, zero or positive.
int compareCells(std::size_t column, std::string_view a, std::string_view b);

class ListingModel {
public:
    void clear();
    // Adds a row with its first column set and the others empty; returns
    // its index (0-based) in the current order.
    std::size_t addRow(std::string moduleFile);
    void addRow(ListingRow row);

    std::size_t rowCount() const { return rows_.size(); }
    const ListingRow& row(std::size_t index) const { return rows_[index]; }
    const std::vector<ListingRow>& rows() const { return rows_; }
    // Sets one text; while sorting is on the rows are ordered again.
    void setText(std::size_t rowIndex, std::size_t column, std::string text);
    // Sets all columns but the first at once.
    void setDetails(std::size_t rowIndex, const ListingRow& row);

    bool sorted() const { return sorted_; }
    void setSorted(bool on);
    std::size_t sortColumn() const { return sortColumn_; }
    SortOrder sortOrder() const { return sortOrder_; }
    void setSortColumn(std::size_t column);
    void setSortOrder(SortOrder order);

private:
    void sortRows();

    std::vector<ListingRow> rows_;
    bool sorted_ = false;
    std::size_t sortColumn_ = 0;
    SortOrder sortOrder_ = SortOrder::Ascending;
};

}  // namespace tlvx::analysis
