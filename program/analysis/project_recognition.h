#pragma once
// Whether a file is a VB6 project at all. Every project file has a "Type="
// line or names a module; a renamed text or binary file, or an empty one,
// has neither and is no project: it is neither counted nor recorded.

#include <filesystem>
#include <string>
#include <string_view>

namespace tlvx::analysis {

// True when a line of `text` (ANSI, ended by CR LF, a lone CR or LF) starts
// with "Type=" or names a module, letter case ignored.
bool holdsProject(std::string_view text);

// The same for a project file's text (Windows notation, resolved against the
// current directory). A file that cannot be found or read holds no project.
bool projectFileHoldsProject(std::string_view projectFile);

// What the user is told when the chosen file holds no project.
std::string notAProjectMessage(std::string_view projectFile);

}  // namespace tlvx::analysis
