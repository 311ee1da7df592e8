#pragma once
// Project group files (.vbg): one position per line, in file order, except
// the "VBGROUP" header lines.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::analysis {

// The project path a group file line names (ANSI bytes, not trimmed); the
// empty text for a line that is neither "StartupProject=" nor "Project=";
// nullopt for a "VBGROUP" header line, which takes no position.
std::optional<std::string> projectPathOfGroupLine(std::string_view line);

// The project paths of a group file as UTF-8 texts, one per position;
// nullopt when the path names no regular file, when the file is larger than
// a whole-file read takes or cannot be read. A bare LF ends a line here as a
// CR LF would.
std::optional<std::vector<std::string>> readGroupFile(const std::filesystem::path& groupFile);

}  // namespace tlvx::analysis
