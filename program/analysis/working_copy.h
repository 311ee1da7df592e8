#pragma once
// The working copy of a project file: the line "[Info]" followed by the
// project file's text, so that the project's top-level keys read as the
// section "Info" of an INI file. Line ends are CR LF throughout.

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tlvx::analysis {

// Names of the working copies of one project list, so that two project files
// with the same file name get distinct copies. Compared without regard to
// letter case.
class WorkingCopyNames {
public:
    // The project file's name as Windows stores it (trailing dots and spaces
    // dropped) with '_' for each character the code page cannot hold, or
    // that name with "~2", "~3", ... before its extension when an earlier
    // position of the list took it already.
    std::string take(std::string_view projectFileName);

private:
    std::unordered_set<std::string> taken_;            // upper-case forms
    std::unordered_map<std::string, int> nextNumber_;  // by upper-case name
};

// What became of a position's working copy.
struct CopyState {
    // The project file holds a project: only then is a copy written. For a
    // project file that cannot be read or holds no project, nothing is
    // written, and what an earlier choice left under the copy's name goes.
    bool holdsProject = false;
    // The project file was found and read (whether it holds a project or not).
    bool found = false;
    // The system error that kept the copy of a project from being written
    // (a full disk); 0 when it was written.
    int error = 0;

    bool usable() const { return holdsProject && error == 0; }
};

struct WorkingCopy {
    std::filesystem::path path;
    CopyState state;
};

// Writes the working copy of `projectFile` (Windows notation, resolved
// against the current directory) as `folder`/`copyName`.
WorkingCopy makeWorkingCopy(std::string_view projectFile, const std::filesystem::path& folder,
                            const std::string& copyName);

// What the user is told when a project file's working copy could not be
// written (a full disk, a folder that cannot be written).
std::string notCopiedMessage(std::string_view projectFile, const std::filesystem::path& folder,
                             int error);

}  // namespace tlvx::analysis
