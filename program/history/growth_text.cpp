#include "program/history/growth_text.h"

namespace tlvx::history {
namespace {

void addNames(std::vector<std::string>& fields, std::string_view prefix) {
    for (const auto& name : numberColumnNames()) fields.push_back(std::string(prefix) + name);
}

void addNumbers(std::vector<std::string>& fields, const std::optional<TenNumbers>& numbers) {
    for (std::size_t i = 0; i < TenNumbers().size(); ++i)
        fields.push_back(numbers ? std::to_string((*numbers)[i]) : std::string());
}

}  // namespace

std::vector<std::string> numberColumnNames() {
    return std::vector<std::string>(analysis::kListingHeaders.begin() + 2,
                                    analysis::kListingHeaders.end());
}

std::string growthHeaderLine(FieldSeparator sep) {
    std::vector<std::string> fields{"Version", "Recorded", "Modules"};
    addNames(fields, "");
    addNames(fields, "Change ");
    return joinFields(fields, sep);
}

std::string growthLine(const VersionGrowth& version, FieldSeparator sep) {
    std::vector<std::string> fields{
        version.version, version.recorded ? utcTimestamp(*version.recorded) : "",
        version.record.counted() ? std::to_string(version.record.modules) : std::string()};
    addNumbers(fields, version.record.countedTotals());
    addNumbers(fields, version.change);
    return joinFields(fields, sep);
}

std::string comparisonHeaderLine(FieldSeparator sep) {
    std::vector<std::string> fields{"Module File", "Type", "Status"};
    addNames(fields, "From ");
    addNames(fields, "To ");
    addNames(fields, "Change ");
    return joinFields(fields, sep);
}

std::string comparisonLine(const ModuleComparison& module, FieldSeparator sep) {
    std::vector<std::string> fields{module.module, module.type,
                                    std::string(statusName(module.status))};
    addNumbers(fields, module.from);
    addNumbers(fields, module.to);
    addNumbers(fields, module.change);
    return joinFields(fields, sep);
}

std::string comparisonTotalLine(const VersionComparison& comparison, FieldSeparator sep) {
    std::vector<std::string> fields{" ", "Total", ""};
    addNumbers(fields, comparison.fromTotals.countedTotals());
    addNumbers(fields, comparison.toTotals.countedTotals());
    addNumbers(fields, comparison.totalsChange);
    return joinFields(fields, sep);
}

std::vector<std::string> growthLines(const GrowthTable& table, FieldSeparator sep) {
    std::vector<std::string> lines{growthHeaderLine(sep)};
    for (const auto& version : table.versions) lines.push_back(growthLine(version, sep));
    return lines;
}

std::vector<std::string> comparisonLines(const VersionComparison& comparison, FieldSeparator sep) {
    std::vector<std::string> lines{comparisonHeaderLine(sep)};
    for (const auto& module : comparison.modules) lines.push_back(comparisonLine(module, sep));
    lines.push_back(comparisonTotalLine(comparison, sep));
    return lines;
}

}  // namespace tlvx::history
