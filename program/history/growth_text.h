#pragma once
// The growth table and the comparison of two versions as lines of fields
// joined by tabs or commas (listing_text.h), for tlvx-count and for the
// growth view's export. A value a version does not have is an empty field.

#include <string>
#include <string_view>
#include <vector>

#include "program/history/listing_text.h"
#include "program/history/version_comparison.h"
#include "program/history/version_growth.h"

namespace tlvx::history {

// The names of the ten number columns: "P" to "A - C - B".
std::vector<std::string> numberColumnNames();

// "Version", "Recorded", "Modules", the ten totals, "Change P", ...
std::string growthHeaderLine(FieldSeparator sep);
std::string growthLine(const VersionGrowth& version, FieldSeparator sep);

// "Module File", "Type", "Status", "From P", ..., "To P", ..., "Change P", ...
std::string comparisonHeaderLine(FieldSeparator sep);
std::string comparisonLine(const ModuleComparison& module, FieldSeparator sep);
// " ", "Total", "", then the totals of both versions and their change.
std::string comparisonTotalLine(const VersionComparison& comparison, FieldSeparator sep);

// All lines of each, header first, without line ends.
std::vector<std::string> growthLines(const GrowthTable& table, FieldSeparator sep);
std::vector<std::string> comparisonLines(const VersionComparison& comparison, FieldSeparator sep);

}  // namespace tlvx::history
