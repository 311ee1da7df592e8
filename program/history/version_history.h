#pragma once
// The version history: under its root folder ("verhis") one folder per
// project name and in it one record file per version text. A record holds
// one line per listing row (the twelve texts joined by ":") and the summary
// line last; ANSI text, every line ended by CR LF.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/analysis/listing_model.h"

namespace tlvx::history {

// The twelve texts of a row joined by ":" (UTF-8).
std::string recordLine(const analysis::ListingRow& row);

class VersionHistory {
public:
    explicit VersionHistory(std::filesystem::path root) : root_(std::move(root)) {}
    const std::filesystem::path& root() const { return root_; }

    // Replaces the record of (project name, version text) as a whole with
    // the rows, in the order given, and the summary line. The record is
    // written to a new file that is renamed over the old one: when any step
    // fails, false comes back and the previous record stays whole. The
    // project folder is made when missing, the root never.
    bool save(std::string_view projectName, std::string_view version,
              const std::vector<analysis::ListingRow>& rows, std::string_view summary) const;

    // Project names and version texts as stored, unescaped: the projects
    // sorted by name with letter case ignored, the versions in version
    // order (version_order.h). Opening a project folder also removes the
    // half-written records that writers killed long ago left in it.
    std::vector<std::string> projects() const;
    std::vector<std::string> versions(std::string_view projectName) const;

    // The existing folder or record for a name; names are matched without
    // regard to case, as the file system of the projects' home does.
    std::optional<std::filesystem::path> projectFolder(std::string_view projectName) const;
    std::optional<std::filesystem::path> recordFile(std::string_view projectName,
                                                    std::string_view version) const;

    // The file name a name is stored under: escaped, and cut to what the
    // file system allows (with a short checksum, so that long names that
    // share their beginning stay apart).
    static std::string storedName(std::string_view name);

private:
    std::filesystem::path root_;
};

}  // namespace tlvx::history
