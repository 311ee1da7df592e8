#include "tools/tlvx-count/count_command.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/descriptors/regular_file.h"
#include "platform/files/win_path.h"
#include "platform/process/interruption.h"
#include "platform/process/leftovers.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/codepage_choice.h"
#include "platform/text/unicode_text.h"
#include "program/analysis/position_analysis.h"
#include "program/analysis/project_list.h"
#include "program/analysis/project_recognition.h"
#include "program/analysis/work_folders.h"
#include "program/history/recorded_analysis.h"
#include "program/history/version_history.h"
#include "tools/tlvx-count/count_help.h"
#include "tools/tlvx-count/count_report.h"
#include "tools/tlvx-count/growth_command.h"

namespace tlvx::count {
namespace {

constexpr const char* kUsage =
    "usage: tlvx-count [--csv | --json] [--record [--history DIR]] [--codepage N]\n"
    "                  PROJECT.vbp|GROUP.vbg\n"
    "Counts the modules of a Visual Basic 6 project, or of every project of a\n"
    "group, and prints per project its name, version, listing, total line and\n"
    "summary (tab separated unless --csv or --json is given).\n"
    "--record writes the version history as the desktop program does, into the\n"
    "program's history folder or into DIR.\n"
    "--codepage N reads and writes project files and records in ANSI code page N\n"
    "(874, 932, 936, 949, 950, 1250-1258); without it, TLVX_CODEPAGE, else the\n"
    "code page Windows gives the locale (LC_ALL, LC_CTYPE, LANG), else 1252.\n";

struct Options {
    ReportFormat format = ReportFormat::Tab;
    std::string file;
    bool record = false;
    std::string historyDir;  // empty: the program's own history folder
    std::optional<std::string> codePage;
};

// The command's private folder for the working copies, in $TMPDIR: removed
// with its content when the command ends, also when a signal ends it. One
// that a killed command left behind is removed by the next command.
class PrivateFolder {
public:
    PrivateFolder() {
        const char* tmp = std::getenv("TMPDIR");
        const std::filesystem::path parent = tmp && *tmp ? tmp : "/tmp";
        platform::leftovers::removeAbandonedFolders(parent, kPrefix);
        errno = 0;
        guard_ = platform::leftovers::createMarkedFolder(parent, kPrefix);
        if (!guard_.ok()) error_ = errno != 0 ? errno : EINTR;
    }
    ~PrivateFolder() {
        if (!guard_.ok()) return;
        std::error_code ec;
        std::filesystem::remove_all(guard_.path(), ec);
        guard_.release();
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    bool ok() const { return guard_.ok(); }
    const std::filesystem::path& path() const { return guard_.path(); }
    int error() const { return error_; }

private:
    static constexpr const char* kPrefix = "tlvx-count";
    platform::interruption::PathGuard guard_;
    int error_ = 0;
};

// Puts the current directory back when the command ends.
class CurrentDirRestorer {
public:
    CurrentDirRestorer() : dir_(std::filesystem::current_path(ec_)) {}
    ~CurrentDirRestorer() {
        std::error_code ec;
        if (!ec_) std::filesystem::current_path(dir_, ec);
    }

private:
    std::error_code ec_;
    std::filesystem::path dir_;
};

bool hasExtension(const std::string& file, std::string_view ext) {
    return file.size() >= 4 && platform::unicode::equalIgnoringCase(
                                   std::string_view(file).substr(file.size() - 4), ext);
}

// The chosen file as an absolute path, or the reason it cannot be counted.
std::optional<std::filesystem::path> checkInput(const std::string& file, std::string& reason) {
    if (!hasExtension(file, ".vbp") && !hasExtension(file, ".vbg")) {
        reason = "not a project or group file (.vbp or .vbg)";
        return std::nullopt;
    }
    std::error_code ec;
    std::filesystem::path path = file;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        // Paths written the Windows way, or in other letter case.
        if (auto resolved = platform::winpath::resolve(std::string_view(file))) path = *resolved;
    }
    // Only a regular file is read, and only one of a sane size: a FIFO would
    // wait for a writer for ever, a device never ends.
    const auto opened = platform::RegularFile::openForReading(path, platform::kMaxWholeFileSize);
    switch (opened.refusal()) {
        case platform::FileRefusal::None:
            break;
        case platform::FileRefusal::Missing:
            reason = "no such file";
            return std::nullopt;
        case platform::FileRefusal::Folder:
            reason = "is a folder, not a file";
            return std::nullopt;
        default:
            reason = "cannot be read: " + platform::describeRefusal(opened);
            return std::nullopt;
    }
    char probe;
    if (::read(opened.fd(), &probe, 1) < 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return std::nullopt;
    }
    return std::filesystem::absolute(path, ec);
}

std::optional<Options> parseArguments(const std::vector<std::string>& args, std::ostream& err) {
    Options options;
    bool filesOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!filesOnly && arg == "--record") {
            options.record = true;
        } else if (!filesOnly && arg == "--history") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                err << "tlvx-count: --history needs a folder\n" << kUsage;
                return std::nullopt;
            }
            options.historyDir = args[++i];
        } else if (!filesOnly && arg == "--codepage") {
            if (i + 1 >= args.size()) {
                err << "tlvx-count: --codepage needs a code page number\n" << kUsage;
                return std::nullopt;
            }
            options.codePage = args[++i];
        } else if (!filesOnly && arg == "--csv") {
            options.format = ReportFormat::Csv;
        } else if (!filesOnly && arg == "--json") {
            options.format = ReportFormat::Json;
        } else if (!filesOnly && arg == "--") {
            filesOnly = true;
        } else if (!filesOnly && arg.size() > 1 && arg[0] == '-') {
            err << "tlvx-count: unknown option " << arg << "\n" << kUsage;
            return std::nullopt;
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            err << "tlvx-count: only one project or group file may be given\n" << kUsage;
            return std::nullopt;
        }
    }
    if (options.file.empty()) {
        err << kUsage;
        return std::nullopt;
    }
    if (!options.historyDir.empty() && !options.record) {
        err << "tlvx-count: --history goes with --record\n" << kUsage;
        return std::nullopt;
    }
    return options;
}

// The ANSI code page of every file the command reads and writes: the
// option's, else the environment's. One that is not supported is refused.
bool useChosenCodePage(const std::optional<std::string>& option, std::ostream& err) {
    const auto choice = platform::ansi::chooseCodePage(option);
    if (!choice.refused.empty()) {
        const bool fromOption = choice.source == platform::ansi::CodePageSource::Option;
        err << "tlvx-count: "
            << platform::ansi::unsupportedCodePageMessage(
                   fromOption ? "--codepage" : platform::ansi::kCodePageVariable, choice.refused)
            << "\n";
        return false;
    }
    if (!platform::ansi::useCodePage(choice.codePage)) {
        err << "tlvx-count: " << platform::ansi::unavailableCodePageMessage(choice.codePage)
            << "\n";
        return false;
    }
    return true;
}

// The history root, made when missing as the desktop program makes it at
// start-up; when it cannot be made, `failure` names the folder and why.
std::optional<history::VersionHistory> prepareHistory(const std::string& dir,
                                                      std::string& failure) {
    std::error_code ec;
    const std::filesystem::path root =
        dir.empty() ? analysis::workFolders(analysis::programFolder()).history
                    : std::filesystem::absolute(dir, ec);
    if (!std::filesystem::is_directory(root, ec)) std::filesystem::create_directories(root, ec);
    if (!ec && std::filesystem::is_directory(root, ec)) return history::VersionHistory(root);
    if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
    failure = root.string() + ": " + ec.message();
    return std::nullopt;
}

// Everything a count needs, made before anything is printed.
struct PreparedCount {
    Options options;
    std::optional<analysis::LibraryObjects> library;
    std::optional<history::VersionHistory> versions;
    std::unique_ptr<PrivateFolder> work;
    std::unique_ptr<CurrentDirRestorer> restorer;
    analysis::ProjectList list;
};

// Checks the arguments and the chosen file, loads the component library,
// makes the history root, the private folder and the working copies. A
// failure is one line on `err` (with the usage for a wrong command line)
// and nullopt; nothing is printed on the output.
std::optional<PreparedCount> prepare(const std::vector<std::string>& args, std::ostream& err) {
    PreparedCount count;
    auto options = parseArguments(args, err);
    if (!options) return std::nullopt;
    count.options = std::move(*options);
    if (!useChosenCodePage(count.options.codePage, err)) return std::nullopt;
    const std::string& file = count.options.file;
    std::string reason;
    const auto chosen = checkInput(file, reason);
    if (!chosen) {
        err << "tlvx-count: " << file << ": " << reason << "\n";
        return std::nullopt;
    }
    const std::string chosenText = platform::winpath::toUtf8(*chosen);
    if (!analysis::isGroupFile(chosenText) && !analysis::projectFileHoldsProject(chosenText)) {
        err << "tlvx-count: " << file << ": not a VB6 project (no \"Type=\" line and no module)\n";
        return std::nullopt;
    }
    count.library = analysis::LibraryObjects::create();
    if (!count.library) {
        err << "tlvx-count: the component library Morcel_TLVX cannot be loaded\n";
        return std::nullopt;
    }
    if (count.options.record) {
        const std::string& dir = count.options.historyDir;
        std::string failure;
        count.versions = prepareHistory(dir, failure);
        if (!count.versions) {
            err << "tlvx-count: the history folder cannot be made: " << failure << "\n";
            return std::nullopt;
        }
    }
    count.work = std::make_unique<PrivateFolder>();
    if (!count.work->ok()) {
        err << "tlvx-count: cannot create a temporary folder: "
            << std::strerror(count.work->error()) << "\n";
        return std::nullopt;
    }
    count.restorer = std::make_unique<CurrentDirRestorer>();
    std::error_code ec;
    // Relative project paths of a group resolve against the group's folder.
    std::filesystem::current_path(chosen->parent_path(), ec);
    auto list = analysis::buildProjectList(chosenText, count.work->path());
    if (!list) {
        err << "tlvx-count: " << file << ": the group file cannot be read\n";
        return std::nullopt;
    }
    count.list = std::move(*list);
    return count;
}

// Counts every position in order and prints each project. 0 when every
// position was counted (or is no project) and recorded as asked, else 1.
int report(PreparedCount& count, std::ostream& out, std::ostream& err) {
    const analysis::ProjectList& list = count.list;
    const std::string& file = count.options.file;
    int status = 0;
    ReportWriter writer(out, count.options.format);
    writer.begin();
    analysis::ListingModel listing;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string position = "tlvx-count: " + file + ": position " + std::to_string(i + 1) +
                                     " (" + std::string(list.projectFile(i)) + ")";
        analysis::PositionResult result;
        if (count.versions) {
            const auto done =
                history::analyseAndRecord(list, i, listing, *count.library, *count.versions);
            result = done.result;
            if (done.failed) {
                err << "tlvx-count: the record of " << result.properties.name() << " "
                    << result.properties.version() << " could not be written under "
                    << count.versions->root().string() << "\n";
                status = 1;
            }
        } else {
            result = analysis::analysePosition(list, i, listing, *count.library);
        }
        if (result.copyError != 0) {
            // Nothing of it was counted: a failure, not a position to pass over.
            err << position << " could not be copied to the working folder "
                << count.work->path().string() << ": " << std::strerror(result.copyError) << "\n";
            status = 1;
            continue;
        }
        if (!result.isProject) {
            // A group goes on with its other projects.
            err << position << " is not a VB6 project, skipped\n";
            continue;
        }
        ProjectReport project;
        project.position = i + 1;
        project.positions = list.size();
        project.projectFile = list.projectFile(i);
        project.properties = result.properties;
        project.rows = listing.rows();
        project.summary = result.calculation.summary;
        writer.project(project);
    }
    writer.end();
    return out ? status : 1;
}

}  // namespace

int runCountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const auto& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            out << helpText();
            return 0;
        }
        if (arg == "--version") {
            out << versionText();
            return 0;
        }
    }
    if (asksForHistory(args)) {
        // Records are read in the code page in use, which --codepage sets
        // here as for a count.
        std::vector<std::string> rest;
        std::optional<std::string> codePage;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] != "--codepage") {
                rest.push_back(args[i]);
            } else if (i + 1 < args.size()) {
                codePage = args[++i];
            } else {
                err << "tlvx-count: --codepage needs a code page number\n" << kUsage;
                return 2;
            }
        }
        if (!useChosenCodePage(codePage, err)) return 2;
        return runHistoryCommand(rest, out, err);
    }
    auto count = prepare(args, err);
    if (!count) return 2;
    return report(*count, out, err);
}

}  // namespace tlvx::count
