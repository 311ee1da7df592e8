#include "program/analysis/listing_model.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

#include "platform/text/name_collation.h"

namespace tlvx::analysis {

const std::array<std::string_view, kListingColumns> kListingHeaders = {
    "Module File", "Type",  "P",         "A",     "C",     "B",
    "P - C",       "P - B", "P - C - B", "A - C", "A - B", "A - C - B"};

namespace {

constexpr std::size_t kFirstNumberColumn = 2;

// The value of a number cell: plain decimal, an optional minus sign.
std::optional<std::int64_t> numberIn(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

int compareCells(std::size_t column, std::string_view a, std::string_view b) {
    if (column >= kFirstNumberColumn) {
        const auto x = numberIn(a);
        const auto y = numberIn(b);
        if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
        // A number before any other text (an empty cell, or a text a
        // hand-edited record left); the others among themselves by name.
        if (x) return -1;
        if (y) return 1;
    }
    return platform::collation::compareNames(a, b);
}

void ListingModel::clear() {
    rows_.clear();
}

std::size_t ListingModel::addRow(std::string moduleFile) {
    ListingRow row;
    row[0] = std::move(moduleFile);
    rows_.push_back(std::move(row));
    if (sorted_) sortRows();
    return rows_.size() - 1;
}

void ListingModel::addRow(ListingRow row) {
    rows_.push_back(std::move(row));
    if (sorted_) sortRows();
}

void ListingModel::setText(std::size_t rowIndex, std::size_t column, std::string text) {
    if (rowIndex >= rows_.size() || column >= kListingColumns) return;
    rows_[rowIndex][column] = std::move(text);
    if (sorted_ && column == sortColumn_) sortRows();
}

void ListingModel::setDetails(std::size_t rowIndex, const ListingRow& row) {
    if (rowIndex >= rows_.size()) return;
    for (std::size_t c = 1; c < kListingColumns; ++c) rows_[rowIndex][c] = row[c];
    if (sorted_ && sortColumn_ != 0) sortRows();
}

void ListingModel::setSorted(bool on) {
    sorted_ = on;
    if (sorted_) sortRows();
}

void ListingModel::setSortColumn(std::size_t column) {
    if (column >= kListingColumns) return;
    sortColumn_ = column;
    if (sorted_) sortRows();
}

void ListingModel::setSortOrder(SortOrder order) {
    sortOrder_ = order;
    if (sorted_) sortRows();
}

void ListingModel::sortRows() {
    const std::size_t column = sortColumn_;
    const bool descending = sortOrder_ == SortOrder::Descending;
    // Stable, so that rows with equal keys keep their order in both
    // directions; distinct keys come in exactly the reverse order when
    // descending.
    std::stable_sort(rows_.begin(), rows_.end(), [&](const ListingRow& a, const ListingRow& b) {
        const int c = compareCells(column, a[column], b[column]);
        return descending ? c > 0 : c < 0;
    });
}

}  // namespace tlvx::analysis
