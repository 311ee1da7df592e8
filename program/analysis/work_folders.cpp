#include "program/analysis/work_folders.h"

#include <unistd.h>

#include <system_error>

#include "platform/process/proc_files.h"
#include "platform/shell/system_folders.h"
#include "program/install_layout.h"

namespace tlvx::analysis {

std::filesystem::path programFolder() {
    const auto exe = platform::proc::ownExecutable();
    std::error_code ec;
    if (!exe) return std::filesystem::current_path(ec);
    return exe->parent_path();
}

std::filesystem::path userDataFolder() {
    return platform::folders::userDataHome() / "tallyvex";
}

std::filesystem::path userCacheFolder() {
    return platform::folders::userCacheHome() / "tallyvex";
}

ProgramLayout programLayout(const std::filesystem::path& programFolder) {
    std::error_code ec;
    const auto beside = programFolder / "doc" / "index.html";
    if (std::filesystem::is_regular_file(beside, ec)) return {false, beside};
    const auto installed =
        (programFolder / kInstalledDocFromProgram / "index.html").lexically_normal();
    if (std::filesystem::is_regular_file(installed, ec)) return {true, installed};
    // Neither: the page is missing, and the browser says so.
    return {false, beside};
}

std::filesystem::path workFoldersBase(const std::filesystem::path& programFolder) {
    if (!programLayout(programFolder).installed &&
        ::access(programFolder.c_str(), W_OK | X_OK) == 0)
        return programFolder;
    return userDataFolder();
}

WorkFolders workFolders(const std::filesystem::path& programFolder) {
    const auto base = workFoldersBase(programFolder);
    if (base == programFolder) return {base / kWorkingCopyFolder, base / kHistoryFolder};
    return {userCacheFolder() / kWorkingCopyFolder, base / kHistoryFolder};
}

std::string movedHistoryMessage(const std::filesystem::path& historyRoot) {
    return "The program's folder cannot be written, so the version history now lies in \"" +
           historyRoot.string() + "\".";
}

void createWorkFolders(const WorkFolders& folders) {
    std::error_code ec;
    for (const auto& folder : {folders.workingCopies, folders.history}) {
        if (!std::filesystem::is_directory(folder, ec))
            std::filesystem::create_directories(folder, ec);
    }
}

}  // namespace tlvx::analysis
