#include "platform/process/leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <system_error>
#include <unordered_map>

#include "platform/process/process_marker.h"

namespace tlvx::platform::leftovers {
namespace {

constexpr std::string_view kFileMark = ".tlvx-";
constexpr std::size_t kMaxFileName = 255;
constexpr std::string_view kUnique = "XXXXXX";

// Cut to at most `limit` bytes without splitting a UTF-8 character.
std::string_view shortened(std::string_view name, std::size_t limit) {
    if (name.size() <= limit) return name;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

// The maker's mark in "<mark>-<unique>", the unique part being whatever
// follows the last '-'.
std::string_view markBeforeUnique(std::string_view rest) {
    const auto dash = rest.rfind('-');
    return dash == std::string_view::npos ? std::string_view() : rest.substr(0, dash);
}

// The maker's mark of a marked file name; empty for any other name.
std::string_view markOfFile(std::string_view name) {
    if (name.size() < 2 || name[0] != '.') return {};
    const auto at = name.rfind(kFileMark);
    if (at == std::string_view::npos || at == 0) return {};
    return markBeforeUnique(name.substr(at + kFileMark.size()));
}

// A writer at work fills its file and so keeps its modification time fresh.
bool longUnchanged(const struct stat& st, std::chrono::seconds minAge) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - st.st_mtim.tv_sec >= minAge.count();
}

}  // namespace

MarkedFile createMarkedFile(const std::filesystem::path& folder, std::string_view stem) {
    MarkedFile file;
    const std::string mark = process::ownMarker();
    // "." + stem + ".tlvx-" + mark + "-" + XXXXXX
    const std::size_t fixed = 1 + kFileMark.size() + mark.size() + 1 + kUnique.size();
    std::string name = ".";
    name += shortened(stem, kMaxFileName > fixed ? kMaxFileName - fixed : 0);
    name += kFileMark;
    name += mark;
    name += '-';
    name += kUnique;
    std::string pattern = (folder / name).native();
    file.guard = interruption::PathGuard(interruption::PathGuard::Kind::File,
                                         [&]() -> std::optional<std::filesystem::path> {
                                             file.fd.reset(::mkostemp(pattern.data(), O_CLOEXEC));
                                             if (!file.fd) {
                                                 file.error = errno;
                                                 return std::nullopt;
                                             }
                                             return std::filesystem::path(pattern);
                                         });
    if (!file.guard.ok() && file.error == 0) file.error = EINTR;  // interrupted: nothing made
    return file;
}

interruption::PathGuard createMarkedFolder(const std::filesystem::path& parent,
                                           std::string_view prefix) {
    std::string pattern =
        (parent / (std::string(prefix) + "-" + process::ownMarker() + "-" + std::string(kUnique)))
            .native();
    return interruption::PathGuard(interruption::PathGuard::Kind::Folder,
                                   [&]() -> std::optional<std::filesystem::path> {
                                       if (!::mkdtemp(pattern.data())) return std::nullopt;
                                       return std::filesystem::path(pattern);
                                   });
}

void removeAbandonedFiles(const std::filesystem::path& folder, std::chrono::seconds minAge) {
    FileDescriptor opened(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened) return;
    const int dirFd = opened.get();
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) return;
    // The directory stream owns the descriptor from here on.
    opened.release();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const std::string_view mark = markOfFile(name);
        if (mark.empty()) continue;
        struct stat st;
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || !longUnchanged(st, minAge)) continue;
        if (process::ownerOf(mark) != process::Owner::Gone) continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

void removeAbandonedFilesOccasionally(const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::chrono::steady_clock::time_point> lastLook;
    const auto now = std::chrono::steady_clock::now();
    {
        const std::lock_guard lock(mutex);
        const auto it = lastLook.find(folder.native());
        if (it != lastLook.end() && now - it->second < std::chrono::minutes(1)) return;
        if (lastLook.size() >= 256) lastLook.clear();
        lastLook[folder.native()] = now;
    }
    removeAbandonedFiles(folder);
}

void removeAbandonedFolders(const std::filesystem::path& parent, std::string_view prefix) {
    std::error_code ec;
    const std::string start = std::string(prefix) + "-";
    for (auto it = std::filesystem::directory_iterator(parent, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().native();
        if (!name.starts_with(start)) continue;
        const std::string_view mark = markBeforeUnique(std::string_view(name).substr(start.size()));
        if (mark.empty()) continue;
        std::error_code typeEc;
        if (!it->is_directory(typeEc) || it->is_symlink(typeEc)) continue;
        if (process::ownerOf(mark) != process::Owner::Gone) continue;
        std::error_code removeEc;
        std::filesystem::remove_all(it->path(), removeEc);
    }
}

}  // namespace tlvx::platform::leftovers
