#pragma once
// The working copy of a project file: the line "[Info]" followed by the
// project file's text, so that the project's top-level keys read as the
// section "Info" of an INI file. Line ends are CR LF throughout.

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

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
    std::set<std::string> taken_;  // upper-case forms
};

// Writes the working copy of `projectFile` (Windows notation, resolved
// against the current directory) as `folder`/`copyName` and returns its path,
// whatever the outcome. A project file that cannot be read gives a copy of
// the "[Info]" line alone.
std::filesystem::path makeWorkingCopy(std::string_view projectFile,
                                      const std::filesystem::path& folder,
                                      const std::string& copyName);

}  // namespace tlvx::analysis
