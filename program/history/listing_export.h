#pragma once
// Writing a listing, current or recorded, to a tab separated (.txt) or comma
// separated (.csv) file: header, one line per row in display order, and the
// total line when the summary yields exactly ten numbers.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "program/analysis/listing_model.h"
#include "program/history/message_boxes.h"

namespace tlvx::history {

struct ExportRequest {
    std::vector<analysis::ListingRow> rows;  // in display order
    std::string firstName;                   // project name
    std::string secondName;                  // version text
    std::string summary;
};

// Asks for the file to write, proposing a name; empty when cancelled.
using SaveNameChooser = std::function<std::string(const std::string& proposedName)>;

// "Billing_2.1.0_20121231": the two names and the date. A character that a
// file name cannot hold here or on the machines the projects come from
// (a path separator, NUL, a control character, : * ? " < > |) becomes "_",
// so that the proposed name always names a file in the dialog's folder.
std::string defaultExportName(std::string_view firstName, std::string_view secondName,
                              std::chrono::year_month_day date);

inline constexpr const char* kNothingToExport = "No available record for this command.";
inline constexpr const char* kExported = "Outputted listing successfully.";

// Exports as the user asks. The file is replaced as a whole; when it cannot
// be written, a warning names it and the previous file stays as it was.
void exportListing(const ExportRequest& request, const SaveNameChooser& chooseFile,
                   MessageBoxes& messages, std::chrono::year_month_day today);

// Writes `lines` (UTF-8) to `path` in ANSI, each ended by CR LF, to a new
// file that replaces the old one whole, and tells the user the outcome.
// When any step fails the previous file stays as it was; false then.
bool writeExportFile(const std::string& path, const std::vector<std::string>& lines,
                     MessageBoxes& messages);

// Today's date on the local calendar.
std::chrono::year_month_day localToday();

}  // namespace tlvx::history
