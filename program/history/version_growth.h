#pragma once
// The growth of a project across its recorded versions: one row per
// version in version order, with the time its record was last written, its
// modules and totals as its summary line gives them, and the change of each
// total from the version before. Only the summary lines are read, so that
// hundreds of large records make the table at once.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/history/record_totals.h"
#include "program/history/version_history.h"

namespace tlvx::history {

struct VersionGrowth {
    std::string version;
    // When the record was last written (its file's modification time).
    std::optional<std::chrono::sys_seconds> recorded;
    // The modules and totals, unless the record's problem says otherwise.
    RecordTotals record;
    // The change from the version before; none for the first version and
    // where this or the previous version has no totals to compare.
    std::optional<TenNumbers> change;
};

struct GrowthTable {
    std::string project;  // as stored
    std::vector<VersionGrowth> versions;
};

// The table from the rows already read (one home for the changes).
void fillChanges(std::vector<VersionGrowth>& versions);

// The table of a project, named with letter case ignored; nullopt when the
// history has no folder for it. A project without records gives an empty
// table.
std::optional<GrowthTable> growthTable(const VersionHistory& history, std::string_view project);

// "2026-12-09T01:02:03Z".
std::string utcTimestamp(std::chrono::sys_seconds time);

// The modification time of a file, or nullopt.
std::optional<std::chrono::sys_seconds> modificationTime(const std::filesystem::path& file);

}  // namespace tlvx::history
