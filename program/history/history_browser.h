#pragma once
// Browsing and deleting the version history: the projects found in the
// history folder, the versions of the selected project, the listing and
// summary of the selected version, and the deletion of a version or a whole
// project with its confirmation. The version history window shows this
// state; it holds none of its own. Nothing is cached: each selection reads
// the file system again, and whatever vanished meanwhile shows as it now is.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "program/analysis/listing_model.h"
#include "program/history/message_boxes.h"
#include "program/history/record_reading.h"
#include "program/history/version_history.h"

namespace tlvx::history {

inline constexpr const char* kNothingToDelete = "No available version history for deleting.";
inline constexpr const char* kDeleteProjectQuestion =
    "Are you sure you want to permanently delete all version history of current project?";
inline constexpr const char* kDeleteVersionQuestion =
    "Are you sure you want to permanently delete the selected version history of current "
    "project?";
inline constexpr const char* kFilesInUse =
    "File(s) is in use, please close other related applications and try it again.";

class HistoryBrowser {
public:
    explicit HistoryBrowser(VersionHistory history) : history_(std::move(history)) {}

    // Fills the projects and selects the first (which loads its versions).
    void loadProjects();
    // Selects a project or version by index (which loads what depends on it).
    void selectProject(std::size_t index);
    void selectVersion(std::size_t index);
    // Selects a project and one of its versions by their names, letter case
    // ignored; false, and the selection as it was, when either is not there.
    bool selectRecord(std::string_view project, std::string_view version);

    void deleteProject(MessageBoxes& messages);
    void deleteVersion(MessageBoxes& messages);

    const std::vector<std::string>& projects() const { return projects_; }
    const std::vector<std::string>& versions() const { return versions_; }
    std::optional<std::size_t> selectedProject() const { return project_; }
    std::optional<std::size_t> selectedVersion() const { return version_; }
    std::string projectText() const;  // the selected texts, empty when none
    std::string versionText() const;
    analysis::ListingModel& listing() { return listing_; }
    const analysis::ListingModel& listing() const { return listing_; }
    const std::string& summary() const { return summary_; }

private:
    void loadVersions();
    void loadRecord();

    VersionHistory history_;
    std::vector<std::string> projects_;
    std::vector<std::string> versions_;
    std::optional<std::size_t> project_;
    std::optional<std::size_t> version_;
    analysis::ListingModel listing_;
    std::string summary_;
};

}  // namespace tlvx::history
