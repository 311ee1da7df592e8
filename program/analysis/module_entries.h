#pragma once
// The project file lines that name a source module ("Form=", "Module=",
// "Class=", "UserControl=", "PropertyPage=", "Designer=", "UserDocument="),
// read from a project's working copy into the rows of the listing.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "program/analysis/listing_model.h"

namespace tlvx::analysis {

// The module path a project file line names, as written (ANSI bytes), or
// nullopt when the line names no module. The key is matched without regard
// to case at the very start of the line.
std::optional<std::string> modulePathOfLine(std::string_view line);

// Clears the listing, switches its sorting off and adds one row per module
// line of the working copy, in file order, duplicates included. False when
// the working copy cannot be opened (the listing is then empty).
bool readModuleEntries(const std::filesystem::path& workingCopy, ListingModel& listing);

}  // namespace tlvx::analysis
