#include "program/history/history_browser.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/files/line_input.h"
#include "platform/files/text_stream.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::history {
namespace {

namespace fs = std::filesystem;

std::vector<std::string_view> splitAtColons(std::string_view line) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const auto at = line.find(':', start);
        pieces.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return pieces;
        start = at + 1;
    }
}

bool isNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The last eleven pieces of a row: a type and ten numbers, or "Invalid"
// and ten empty fields.
bool formsRowTail(const std::vector<std::string_view>& pieces) {
    static constexpr std::array<std::string_view, 8> kTypes = {
        "Form",         "Module",   "ClassModule",  "UserControl",
        "PropertyPage", "Designer", "UserDocument", "OtherModule"};
    const std::size_t first = pieces.size() - 11;
    const auto numbers = [&](auto test) {
        return std::all_of(pieces.begin() + static_cast<long>(first) + 1, pieces.end(), test);
    };
    if (pieces[first] == "Invalid") return numbers([](std::string_view p) { return p.empty(); });
    return std::find(kTypes.begin(), kTypes.end(), pieces[first]) != kTypes.end() &&
           numbers(isNumber);
}

bool stillExists(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found || ec.value() == EACCES;
}

}  // namespace

std::optional<analysis::ListingRow> rowOfRecordLine(std::string_view line) {
    const auto pieces = splitAtColons(line);
    if (pieces.size() < 12) return std::nullopt;
    if (pieces.size() > 12 && !formsRowTail(pieces)) return std::nullopt;
    analysis::ListingRow row;
    const std::size_t tail = pieces.size() - 11;
    // A module path with a drive letter ("C:\x.bas") keeps its colons.
    std::string path;
    for (std::size_t i = 0; i < tail; ++i) {
        if (i) path += ':';
        path += pieces[i];
    }
    row[0] = platform::ansi::toUtf8(path);
    for (std::size_t c = 1; c < analysis::kListingColumns; ++c)
        row[c] = platform::ansi::toUtf8(pieces[tail + c - 1]);
    return row;
}

std::string HistoryBrowser::projectText() const {
    return project_ && *project_ < projects_.size() ? projects_[*project_] : std::string();
}

std::string HistoryBrowser::versionText() const {
    return version_ && *version_ < versions_.size() ? versions_[*version_] : std::string();
}

void HistoryBrowser::loadProjects() {
    projects_ = history_.projects();
    project_.reset();
    versions_.clear();
    version_.reset();
    if (!projects_.empty()) selectProject(0);
}

void HistoryBrowser::selectProject(std::size_t index) {
    if (index >= projects_.size()) return;
    project_ = index;
    loadVersions();
}

void HistoryBrowser::selectVersion(std::size_t index) {
    if (index >= versions_.size()) return;
    version_ = index;
    loadRecord();
}

void HistoryBrowser::loadVersions() {
    versions_ = history_.versions(projectText());
    version_.reset();
    listing_.clear();
    if (!versions_.empty()) selectVersion(0);
}

void HistoryBrowser::loadRecord() {
    listing_.clear();
    listing_.setSorted(false);
    summary_.clear();
    if (const auto file = history_.recordFile(projectText(), versionText())) {
        platform::LineInput input;
        if (input.open(*file)) {
            std::string line;
            while (input.readLine(line))
                if (auto row = rowOfRecordLine(line)) listing_.addRow(std::move(*row));
        }
        // The summary is the record's last line, when it is one. Records are
        // named by this program, not by Windows' rules, so they are read
        // here rather than through the text-file object's Windows paths.
        const std::string last = platform::readLastLine(*file).value_or(std::string());
        if (last.substr(0, last.find(':')) == "Total") summary_ = platform::ansi::toUtf8(last);
    }
    listing_.setSorted(true);
}

void HistoryBrowser::deleteProject(MessageBoxes& messages) {
    if (!project_) {
        messages.information(kNothingToDelete);
        return;
    }
    if (messages.question(kDeleteProjectQuestion) != MessageBoxes::Answer::Yes) return;
    if (const auto folder = history_.projectFolder(projectText())) {
        std::error_code ec;
        fs::remove_all(*folder, ec);
        if (stillExists(*folder)) {
            messages.warning(kFilesInUse);
            return;
        }
    }
    projects_.erase(projects_.begin() + static_cast<long>(*project_));
    project_.reset();
    listing_.clear();
    versions_.clear();
    version_.reset();
    if (!projects_.empty()) selectProject(0);
}

void HistoryBrowser::deleteVersion(MessageBoxes& messages) {
    if (!version_) {
        messages.information(kNothingToDelete);
        return;
    }
    if (messages.question(kDeleteVersionQuestion) != MessageBoxes::Answer::Yes) return;
    if (const auto file = history_.recordFile(projectText(), versionText())) {
        std::error_code ec;
        fs::remove(*file, ec);
        if (stillExists(*file)) {
            messages.warning(kFilesInUse);
            return;
        }
    }
    versions_.erase(versions_.begin() + static_cast<long>(*version_));
    version_.reset();
    listing_.clear();
    if (!versions_.empty()) selectVersion(0);
}

}  // namespace tlvx::history
