#pragma once
// Two recorded versions of a project side by side: every module of either
// record, matched by its "Module File" with letter case ignored, with its
// status, its ten values in each version and their differences, and the
// totals of both records with theirs. An "Invalid" row is a module of its
// record with no lines, as its record counts it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/history/record_reading.h"
#include "program/history/record_totals.h"
#include "program/history/version_history.h"

namespace tlvx::history {

enum class ModuleStatus { Added, Removed, Changed, Same };

// "added", "removed", "changed", "same".
std::string_view statusName(ModuleStatus status);

struct ModuleComparison {
    std::string module;  // as the later record names it, if it holds it
    std::string type;    // likewise
    ModuleStatus status = ModuleStatus::Same;
    std::optional<TenNumbers> from;  // none where the version lacks it
    std::optional<TenNumbers> to;
    TenNumbers change{};  // to - from, a missing side counting as nothing
};

struct VersionComparison {
    std::string project;
    std::string from;  // the two versions as stored
    std::string to;
    // Ordered by module name as the desktop orders names.
    std::vector<ModuleComparison> modules;
    RecordTotals fromTotals;
    RecordTotals toTotals;
    // Only when both records carry their totals.
    std::optional<TenNumbers> totalsChange;
    // What could not be compared, one sentence each ("version 1.2: ...").
    std::vector<std::string> problems;
};

// The comparison of two records already read. A row whose numbers are no
// numbers is told among the problems and left out.
VersionComparison compareRecords(const RecordContent& from, const RecordContent& to,
                                 std::string_view fromVersion, std::string_view toVersion);

struct ComparisonOutcome {
    std::optional<VersionComparison> comparison;
    std::string failure;  // why there is none: a missing project or version
};

// Reads and compares two recorded versions of a project (names matched
// with letter case ignored).
ComparisonOutcome compareVersions(const VersionHistory& history, std::string_view project,
                                  std::string_view fromVersion, std::string_view toVersion);

// The one sentence for a project or version that has no record.
std::string noProjectMessage(std::string_view project, const std::filesystem::path& root);
std::string noVersionMessage(std::string_view project, std::string_view version);

}  // namespace tlvx::history
