#pragma once
// Reading a version record back: its row lines as listing rows and its last
// line as the summary, when it is one. Lines that form no row (an empty
// line, a line someone typed into the file) are passed over.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/analysis/listing_model.h"

namespace tlvx::history {

// A record line as a listing row: exactly twelve pieces split at ":", or,
// for a module path that holds a colon, the last eleven pieces when they
// form a row (a type and its numbers) and the leading pieces joined by ":".
std::optional<analysis::ListingRow> rowOfRecordLine(std::string_view line);

struct RecordContent {
    std::vector<analysis::ListingRow> rows;  // in the record's order
    // The last line when its text before the first ":" is "Total"; empty
    // when the record ends in anything else.
    std::string summary;
};

// The record's rows and summary; nullopt when the file cannot be opened.
std::optional<RecordContent> readRecord(const std::filesystem::path& file);

// The record's summary alone, read from the end of the file: empty when the
// last line is no summary, nullopt when the file cannot be read.
std::optional<std::string> readRecordSummary(const std::filesystem::path& file);

}  // namespace tlvx::history
