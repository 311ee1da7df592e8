#include "program/history/history_browser.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/text/unicode_text.h"

namespace tlvx::history {
namespace {

namespace fs = std::filesystem;

bool stillExists(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found || ec.value() == EACCES;
}

}  // namespace

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

bool HistoryBrowser::selectRecord(std::string_view project, std::string_view version) {
    const auto same = [](std::string_view name) {
        return [name](const std::string& entry) {
            return platform::unicode::equalIgnoringCase(entry, name);
        };
    };
    const auto p = std::find_if(projects_.begin(), projects_.end(), same(project));
    if (p == projects_.end()) return false;
    const auto versions = history_.versions(*p);
    const auto v = std::find_if(versions.begin(), versions.end(), same(version));
    if (v == versions.end()) return false;
    const auto versionIndex = static_cast<std::size_t>(v - versions.begin());
    selectProject(static_cast<std::size_t>(p - projects_.begin()));
    if (versionIndex < versions_.size() && versionIndex != version_) selectVersion(versionIndex);
    return true;
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
        if (auto content = readRecord(*file)) {
            for (auto& row : content->rows) listing_.addRow(std::move(row));
            summary_ = std::move(content->summary);
        } else {
            summary_ = readRecordSummary(*file).value_or(std::string());
        }
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
