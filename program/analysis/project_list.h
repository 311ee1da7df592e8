#pragma once
// The projects of a choice: one position for a project file, one position per
// project line of a group file, each with its project file path and the path
// of its working copy.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/analysis/working_copy.h"

namespace tlvx::analysis {

// A position whose line names a project path.
struct ProjectPosition {
    std::size_t index = 0;    // 0-based
    std::string projectFile;  // as chosen or as the group writes it
    std::filesystem::path workingCopy;
    CopyState copyState;
};

// The positions of a choice. Those without a project path (blank lines of a
// group) are only counted: they have no working copy and hold no project.
struct ProjectList {
    std::string groupFile;  // empty when a single project was chosen
    std::size_t positions = 0;
    std::vector<ProjectPosition> named;  // by ascending index

    std::size_t size() const { return positions; }
    // The position `index` when it names a project path, else nullptr.
    const ProjectPosition* at(std::size_t index) const;
    // The position's project path; empty for one without a path or out of
    // range.
    std::string_view projectFile(std::size_t index) const;
};

// True when the last four characters, letter case ignored, are ".vbg".
bool isGroupFile(std::string_view path);

// Builds the list for a chosen project or group file and makes the working
// copies of all positions in `workingCopyFolder`. Relative project paths of
// a group resolve against the current directory, which the caller leaves at
// the chosen file's folder. nullopt when a group file cannot be read.
std::optional<ProjectList> buildProjectList(std::string_view chosenPath,
                                            const std::filesystem::path& workingCopyFolder);

// Makes the folder of position `index`'s project file the current directory:
// the group file's folder first, then the project's folder, the project path
// resolving against the first. A path that does not resolve leaves the
// current directory where it was.
void enterProjectFolder(const ProjectList& list, std::size_t index);

}  // namespace tlvx::analysis
