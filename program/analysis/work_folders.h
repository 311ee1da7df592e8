#pragma once
// The program's working folders: "tempprjfiles" for the working copies of
// project files and "verhis" for the version history. They lie in the
// program's folder; when that folder cannot be written (an installed
// program) they lie in the per-user data folder instead.

#include <filesystem>
#include <string>

namespace tlvx::analysis {

inline constexpr const char* kWorkingCopyFolder = "tempprjfiles";
inline constexpr const char* kHistoryFolder = "verhis";

// The folder that holds the running executable.
std::filesystem::path programFolder();

// $XDG_DATA_HOME/tallyvex, by default ~/.local/share/tallyvex.
std::filesystem::path userDataFolder();

// Where the working folders belong: `preferred` when it can be written,
// else the per-user data folder.
std::filesystem::path workFoldersBase(const std::filesystem::path& preferred);

// What the user is told once at start when the working folders lie in the
// per-user data folder, with the history root they now use.
std::string movedHistoryMessage(const std::filesystem::path& historyRoot);

// Creates "tempprjfiles" and then "verhis" in `base` when they are missing.
// A folder that cannot be created is passed over.
void createWorkFolders(const std::filesystem::path& base);

}  // namespace tlvx::analysis
