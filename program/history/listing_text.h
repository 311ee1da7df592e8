#pragma once
// The lines of an exported listing: the header, one line per row and the
// total line, with a tab or a comma between the fields.

#include <string>
#include <string_view>
#include <vector>

#include "program/analysis/listing_model.h"

namespace tlvx::history {

enum class FieldSeparator { Tab, Comma };

// Comma for a path ending in ".csv" (letter case ignored), tab otherwise.
FieldSeparator separatorForPath(std::string_view path);

// The export's own column names: the last one is "A - C -B".
extern const std::array<std::string_view, analysis::kListingColumns> kExportHeaders;

// Lines without their line end, UTF-8. With commas, a field holding a comma,
// a double quote or a line break is quoted as CSV readers expect; tab
// separated fields are written as they are.
std::string joinFields(const std::vector<std::string>& fields, FieldSeparator sep);
std::string headerLine(FieldSeparator sep);
std::string rowLine(const analysis::ListingRow& row, FieldSeparator sep);
// " ", "Total" and the ten numbers; empty when `numbers` does not hold
// exactly ten texts (then no total line is written).
std::string totalLine(const std::vector<std::string>& numbers, FieldSeparator sep);

// Rows copied from a listing: the header line and one line per row, tab
// separated as a .txt export writes them, every line ended by a line feed
// as the desktop's clipboard carries text.
std::string copiedRowsText(const std::vector<analysis::ListingRow>& rows);

}  // namespace tlvx::history
