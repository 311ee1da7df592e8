#pragma once
// One calculation of a project: the module rows from its working copy, every
// module counted, the ten number columns, the totals and the summary line,
// then the listing sorted again by its sort column.

#include <filesystem>
#include <string>

#include "program/analysis/listing_model.h"
#include "program/analysis/summary_line.h"

namespace tlvx::analysis {

struct Calculation {
    LineTotals totals;
    std::size_t modules = 0;
    std::string summary;
};

// Module paths are resolved against the current directory, which must be the
// project's folder. Each module is read once. A working copy that cannot be
// opened gives an empty listing and the zero summary.
Calculation calculateProject(const std::filesystem::path& workingCopy, ListingModel& listing);

}  // namespace tlvx::analysis
