#include "program/history/version_growth.h"

#include <time.h>

#include <cstdio>
#include <system_error>

#include "program/history/record_names.h"
#include "program/history/record_reading.h"

namespace tlvx::history {

void fillChanges(std::vector<VersionGrowth>& versions) {
    for (std::size_t i = 0; i < versions.size(); ++i) {
        versions[i].change.reset();
        if (i == 0 || !versions[i].record.counted() || !versions[i - 1].record.counted()) continue;
        versions[i].change = difference(versions[i - 1].record.totals, versions[i].record.totals);
    }
}

std::optional<GrowthTable> growthTable(const VersionHistory& history, std::string_view project) {
    const auto folder = history.projectFolder(project);
    if (!folder) return std::nullopt;
    GrowthTable table;
    table.project = unescapeRecordName(folder->filename().string());
    for (auto& version : history.versions(table.project)) {
        VersionGrowth row;
        const auto file = history.recordFile(table.project, version);
        row.version = std::move(version);
        if (file) {
            row.recorded = modificationTime(*file);
            row.record = totalsOfSummary(readRecordSummary(*file));
        } else {
            // Gone since the folder was listed.
            row.record.problem = RecordProblem::Unreadable;
        }
        table.versions.push_back(std::move(row));
    }
    fillChanges(table.versions);
    return table;
}

std::string utcTimestamp(std::chrono::sys_seconds time) {
    const std::time_t t = time.time_since_epoch().count();
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[96];  // room for any year the fields can hold
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::optional<std::chrono::sys_seconds> modificationTime(const std::filesystem::path& file) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(file, ec);
    if (ec) return std::nullopt;
    return std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(written));
}

}  // namespace tlvx::history
