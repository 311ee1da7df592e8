#include "program/history/version_comparison.h"

#include <algorithm>
#include <deque>
#include <map>

#include "platform/text/name_collation.h"
#include "platform/text/unicode_text.h"
#include "program/analysis/summary_line.h"
#include "program/history/record_names.h"

namespace tlvx::history {
namespace {

struct ModuleValues {
    const analysis::ListingRow* row;
    TenNumbers values{};
};

// The ten values of a row: an "Invalid" row has none, so it counts no
// lines; any other row must hold ten numbers.
std::optional<TenNumbers> valuesOf(const analysis::ListingRow& row) {
    TenNumbers values{};
    if (row[1] == "Invalid" &&
        std::all_of(row.begin() + 2, row.end(), [](const std::string& f) { return f.empty(); }))
        return values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto n = analysis::readCount(row[i + 2]);
        if (!n) return std::nullopt;
        values[i] = *n;
    }
    return values;
}

// Module names meet as the file system matches names: letter case ignored.
struct IgnoringCase {
    bool operator()(std::string_view a, std::string_view b) const {
        return platform::unicode::compareIgnoringCase(a, b) < 0;
    }
};

// The rows of a record with their values; the damaged ones are told.
std::vector<ModuleValues> readValues(const RecordContent& record, std::string_view version,
                                     std::vector<std::string>& problems) {
    std::vector<ModuleValues> read;
    for (const auto& row : record.rows) {
        if (const auto values = valuesOf(row))
            read.push_back({&row, *values});
        else
            problems.push_back("version " + std::string(version) + ": the row of \"" + row[0] +
                               "\" holds no numbers and is left out");
    }
    return read;
}

}  // namespace

std::string_view statusName(ModuleStatus status) {
    switch (status) {
        case ModuleStatus::Added:
            return "added";
        case ModuleStatus::Removed:
            return "removed";
        case ModuleStatus::Changed:
            return "changed";
        case ModuleStatus::Same:
            return "same";
    }
    return {};
}

VersionComparison compareRecords(const RecordContent& from, const RecordContent& to,
                                 std::string_view fromVersion, std::string_view toVersion) {
    VersionComparison done;
    done.from = fromVersion;
    done.to = toVersion;
    const auto before = readValues(from, fromVersion, done.problems);
    const auto after = readValues(to, toVersion, done.problems);

    // A module listed twice in one record meets its namesakes of the other
    // in the order both records hold them.
    std::map<std::string_view, std::deque<std::size_t>, IgnoringCase> unmatched;
    for (std::size_t i = 0; i < before.size(); ++i) unmatched[(*before[i].row)[0]].push_back(i);
    std::vector<bool> matched(before.size(), false);
    for (const auto& later : after) {
        ModuleComparison module;
        module.module = (*later.row)[0];
        module.type = (*later.row)[1];
        module.to = later.values;
        const auto found = unmatched.find((*later.row)[0]);
        if (found == unmatched.end() || found->second.empty()) {
            module.status = ModuleStatus::Added;
            module.change = later.values;
        } else {
            auto& candidates = found->second;
            const auto& earlier = before[candidates.front()];
            matched[candidates.front()] = true;
            candidates.pop_front();
            module.from = earlier.values;
            module.change = difference(earlier.values, later.values);
            module.status = earlier.values == later.values && (*earlier.row)[1] == module.type
                                ? ModuleStatus::Same
                                : ModuleStatus::Changed;
        }
        done.modules.push_back(std::move(module));
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (matched[i]) continue;
        ModuleComparison module;
        module.module = (*before[i].row)[0];
        module.type = (*before[i].row)[1];
        module.status = ModuleStatus::Removed;
        module.from = before[i].values;
        module.change = difference(before[i].values, TenNumbers{});
        done.modules.push_back(std::move(module));
    }
    std::stable_sort(done.modules.begin(), done.modules.end(),
                     [](const ModuleComparison& a, const ModuleComparison& b) {
                         return platform::collation::nameLess(a.module, b.module);
                     });

    done.fromTotals = totalsOfSummary(from.summary);
    done.toTotals = totalsOfSummary(to.summary);
    for (const auto& [side, version] :
         {std::pair{&done.fromTotals, fromVersion}, std::pair{&done.toTotals, toVersion}}) {
        if (!side->counted())
            done.problems.push_back("version " + std::string(version) + ": " +
                                    describeProblem(side->problem));
    }
    if (done.fromTotals.counted() && done.toTotals.counted())
        done.totalsChange = difference(done.fromTotals.totals, done.toTotals.totals);
    return done;
}

std::string noProjectMessage(std::string_view project, const std::filesystem::path& root) {
    return "no version history of project \"" + std::string(project) + "\" in " + root.string();
}

std::string noVersionMessage(std::string_view project, std::string_view version) {
    return "no record of version \"" + std::string(version) + "\" of project \"" +
           std::string(project) + "\"";
}

ComparisonOutcome compareVersions(const VersionHistory& history, std::string_view project,
                                  std::string_view fromVersion, std::string_view toVersion) {
    ComparisonOutcome outcome;
    const auto folder = history.projectFolder(project);
    if (!folder) {
        outcome.failure = noProjectMessage(project, history.root());
        return outcome;
    }
    const std::string stored = unescapeRecordName(folder->filename().string());
    std::optional<RecordContent> records[2];
    std::string names[2];
    const std::string_view wanted[2] = {fromVersion, toVersion};
    for (int i = 0; i < 2; ++i) {
        const auto file = history.recordFile(stored, wanted[i]);
        if (!file) {
            outcome.failure = noVersionMessage(stored, wanted[i]);
            return outcome;
        }
        names[i] = unescapeRecordName(file->filename().string());
        records[i] = readRecord(*file);
        if (!records[i]) {
            outcome.failure = "the record of version \"" + names[i] + "\" of project \"" + stored +
                              "\" cannot be read";
            return outcome;
        }
    }
    outcome.comparison = compareRecords(*records[0], *records[1], names[0], names[1]);
    outcome.comparison->project = stored;
    return outcome;
}

}  // namespace tlvx::history
