#include "tools/tlvx-count/growth_command.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "program/analysis/work_folders.h"
#include "program/history/growth_text.h"
#include "program/history/version_comparison.h"
#include "program/history/version_growth.h"
#include "tools/tlvx-count/count_report.h"

namespace tlvx::count {
namespace {

constexpr std::string_view kHistoryUsage =
    "\n"
    "usage: tlvx-count --growth NAME [--history DIR] [--csv | --json]\n"
    "       tlvx-count --compare NAME V1 V2 [--history DIR] [--csv | --json]\n"
    "--growth prints the recorded versions of project NAME in version order,\n"
    "with the date of each record, its modules, its totals and their change from\n"
    "the version before. --compare prints every module of versions V1 and V2\n"
    "(added, removed, changed or same) with its numbers in both and their\n"
    "difference, and the totals. Both read the program's history folder, or DIR.\n";

struct Query {
    bool compare = false;
    std::string project;
    std::string from, to;
    std::string historyDir;
    ReportFormat format = ReportFormat::Tab;
};

// The next argument as the value of `option`, or a complaint.
bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string& value,
               const char* option, const char* what, std::ostream& err) {
    if (i + 1 >= args.size()) {
        err << "tlvx-count: " << option << " needs " << what << "\n";
        return false;
    }
    value = args[++i];
    return true;
}

std::optional<Query> parseQuery(const std::vector<std::string>& args, std::ostream& err) {
    Query query;
    bool growth = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool ok = true;
        if (arg == "--growth" && !growth && !query.compare) {
            growth = true;
            ok = takeValue(args, i, query.project, "--growth", "a project name", err);
        } else if (arg == "--compare" && !growth && !query.compare) {
            query.compare = true;
            ok = takeValue(args, i, query.project, "--compare", "a project name and two versions",
                           err) &&
                 takeValue(args, i, query.from, "--compare", "two versions", err) &&
                 takeValue(args, i, query.to, "--compare", "two versions", err);
        } else if (arg == "--growth" || arg == "--compare") {
            err << "tlvx-count: --growth and --compare are asked for one at a time\n";
            return std::nullopt;
        } else if (arg == "--history") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                err << "tlvx-count: --history needs a folder\n";
                return std::nullopt;
            }
            query.historyDir = args[++i];
        } else if (arg == "--csv") {
            query.format = ReportFormat::Csv;
        } else if (arg == "--json") {
            query.format = ReportFormat::Json;
        } else {
            err << "tlvx-count: " << arg << " does not go with --growth or --compare\n";
            return std::nullopt;
        }
        if (!ok) return std::nullopt;
    }
    return query;
}

std::filesystem::path historyRoot(const Query& query) {
    if (!query.historyDir.empty()) {
        std::error_code ec;
        return std::filesystem::absolute(query.historyDir, ec);
    }
    // Where the desktop program keeps it; nothing is made by reading.
    return analysis::workFolders(analysis::programFolder()).history;
}

std::string jsonNumbers(const std::optional<history::TenNumbers>& numbers) {
    if (!numbers) return "null";
    std::string text = "[";
    for (std::size_t i = 0; i < numbers->size(); ++i) {
        if (i) text += ',';
        text += std::to_string((*numbers)[i]);
    }
    return text + "]";
}

std::string jsonColumns() {
    std::string text = "[";
    const auto names = history::numberColumnNames();
    for (std::size_t i = 0; i < names.size(); ++i) text += (i ? "," : "") + jsonString(names[i]);
    return text + "]";
}

history::FieldSeparator separatorOf(ReportFormat format) {
    return format == ReportFormat::Csv ? history::FieldSeparator::Comma
                                       : history::FieldSeparator::Tab;
}

void printGrowth(const history::GrowthTable& table, ReportFormat format, std::ostream& out) {
    if (format != ReportFormat::Json) {
        for (const auto& line : history::growthLines(table, separatorOf(format)))
            out << line << '\n';
        return;
    }
    out << "{\"project\":" << jsonString(table.project) << ",\"columns\":" << jsonColumns()
        << ",\"versions\":[";
    for (std::size_t i = 0; i < table.versions.size(); ++i) {
        const auto& v = table.versions[i];
        out << (i ? "," : "") << "\n{\"version\":" << jsonString(v.version) << ",\"recorded\":"
            << (v.recorded ? jsonString(history::utcTimestamp(*v.recorded)) : "null")
            << ",\"modules\":"
            << (v.record.counted() ? std::to_string(v.record.modules) : std::string("null"))
            << ",\"totals\":" << jsonNumbers(v.record.countedTotals())
            << ",\"change\":" << jsonNumbers(v.change);
        if (!v.record.counted())
            out << ",\"problem\":" << jsonString(history::describeProblem(v.record.problem));
        out << '}';
    }
    out << "]}\n";
}

void printComparison(const history::VersionComparison& c, ReportFormat format, std::ostream& out) {
    if (format != ReportFormat::Json) {
        for (const auto& line : history::comparisonLines(c, separatorOf(format)))
            out << line << '\n';
        return;
    }
    out << "{\"project\":" << jsonString(c.project) << ",\"from\":" << jsonString(c.from)
        << ",\"to\":" << jsonString(c.to) << ",\"columns\":" << jsonColumns() << ",\"modules\":[";
    for (std::size_t i = 0; i < c.modules.size(); ++i) {
        const auto& m = c.modules[i];
        out << (i ? "," : "") << "\n{\"module\":" << jsonString(m.module)
            << ",\"type\":" << jsonString(m.type)
            << ",\"status\":" << jsonString(history::statusName(m.status))
            << ",\"from\":" << jsonNumbers(m.from) << ",\"to\":" << jsonNumbers(m.to)
            << ",\"change\":" << jsonNumbers(m.change) << '}';
    }
    out << "],\n\"totals\":{\"from\":" << jsonNumbers(c.fromTotals.countedTotals())
        << ",\"to\":" << jsonNumbers(c.toTotals.countedTotals())
        << ",\"change\":" << jsonNumbers(c.totalsChange) << "}}\n";
}

int runGrowth(const Query& query, const std::filesystem::path& root, std::ostream& out,
              std::ostream& err) {
    const history::VersionHistory versions(root);
    const auto table = history::growthTable(versions, query.project);
    if (!table || table->versions.empty()) {
        err << "tlvx-count: " << history::noProjectMessage(query.project, root) << "\n";
        return 2;
    }
    printGrowth(*table, query.format, out);
    int status = 0;
    for (const auto& v : table->versions) {
        if (v.record.counted()) continue;
        err << "tlvx-count: " << table->project << " " << v.version << ": "
            << history::describeProblem(v.record.problem) << "\n";
        status = 1;
    }
    return status;
}

int runComparison(const Query& query, const std::filesystem::path& root, std::ostream& out,
                  std::ostream& err) {
    const history::VersionHistory versions(root);
    const auto outcome = history::compareVersions(versions, query.project, query.from, query.to);
    if (!outcome.comparison) {
        err << "tlvx-count: " << outcome.failure << "\n";
        return 2;
    }
    printComparison(*outcome.comparison, query.format, out);
    for (const auto& problem : outcome.comparison->problems)
        err << "tlvx-count: " << outcome.comparison->project << " " << problem << "\n";
    return outcome.comparison->problems.empty() ? 0 : 1;
}

}  // namespace

bool asksForHistory(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (arg == "--") return false;
        if (arg == "--growth" || arg == "--compare") return true;
    }
    return false;
}

std::string_view historyUsage() {
    return kHistoryUsage;
}

int runHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto query = parseQuery(args, err);
    if (!query) return 2;
    const auto root = historyRoot(*query);
    const int status =
        query->compare ? runComparison(*query, root, out, err) : runGrowth(*query, root, out, err);
    out.flush();
    return out ? status : 1;
}

}  // namespace tlvx::count
