#pragma once
// The program's working folders: "tempprjfiles" for the working copies of
// project files and "verhis" for the version history. They lie in the
// program's folder; when that folder cannot be written, and always for an
// installed program, the history lies in the per-user data folder and the
// working copies, which may be thrown away, in the per-user cache folder.

#include <filesystem>
#include <string>

namespace tlvx::analysis {

inline constexpr const char* kWorkingCopyFolder = "tempprjfiles";
inline constexpr const char* kHistoryFolder = "verhis";

// The folder that holds the running executable.
std::filesystem::path programFolder();

// $XDG_DATA_HOME/tallyvex, by default ~/.local/share/tallyvex.
std::filesystem::path userDataFolder();

// $XDG_CACHE_HOME/tallyvex, by default ~/.cache/tallyvex.
std::filesystem::path userCacheFolder();

// Where the program's files lie. A program run from its build folder, or
// copied with its files into a folder of its own, has its documentation
// beside it (doc/index.html). An installed one (`cmake --install`, the
// package) has it in the shared data folder instead, and keeps its working
// folders in the user's data folder wherever it was installed.
struct ProgramLayout {
    bool installed = false;
    // The documentation page F1 opens.
    std::filesystem::path documentation;
};
ProgramLayout programLayout(const std::filesystem::path& programFolder);

// Where the working folders of the program in `programFolder` belong: that
// folder when it can be written and the program is not installed, else the
// per-user data folder.
std::filesystem::path workFoldersBase(const std::filesystem::path& programFolder);

// The two working folders of the program in `programFolder`: both in
// workFoldersBase() when that is the program's folder, else the working
// copies in the user's cache folder and the history in the data folder.
struct WorkFolders {
    std::filesystem::path workingCopies;
    std::filesystem::path history;
};
WorkFolders workFolders(const std::filesystem::path& programFolder);

// What the user is told once at start when the working folders lie in the
// per-user data folder, with the history root they now use.
std::string movedHistoryMessage(const std::filesystem::path& historyRoot);

// Creates the working copies' folder and then the history folder, with the
// folders above them, when they are missing; one that cannot be created is
// passed over.
void createWorkFolders(const WorkFolders& folders);

}  // namespace tlvx::analysis
