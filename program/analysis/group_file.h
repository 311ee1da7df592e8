#pragma once
// Project group files (.vbg): one position per line, in file order, except
// the "VBGROUP" header lines. Only the positions that name a project path
// are kept: a blank line (or any other line without a path) is counted and
// costs nothing more, however many a group holds.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tlvx::analysis {

// The project path a group file line names (ANSI bytes, not trimmed); the
// empty text for a line that is neither "StartupProject=" nor "Project=";
// nullopt for a "VBGROUP" header line, which takes no position.
std::optional<std::string> projectPathOfGroupLine(std::string_view line);

// The positions of a group file.
struct GroupPositions {
    std::size_t count = 0;  // all positions, those without a path included
    // The positions that name a project path (0-based, ascending) with that
    // path as UTF-8 text.
    std::vector<std::pair<std::size_t, std::string>> named;

    bool operator==(const GroupPositions&) const = default;
};

// The positions of a group file; nullopt when the path names no regular
// file, when the file is larger than a whole-file read takes or cannot be
// read. A bare LF ends a line here as a CR LF would.
std::optional<GroupPositions> readGroupFile(const std::filesystem::path& groupFile);

}  // namespace tlvx::analysis
