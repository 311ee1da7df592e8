#include "platform/files/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/files/win_path.h"

namespace tlvx::platform::fso {
namespace fs = std::filesystem;

namespace {

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

template <typename Text>
bool resolvesTo(Text winPath, bool wantFolder) {
    const auto path = winpath::resolve(winPath);
    struct stat st;
    if (!path || ::stat(path->c_str(), &st) != 0) return false;
    return wantFolder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

template <typename Text>
bool makeFolder(Text winPath) {
    const auto path = winpath::resolveForWrite(winPath);
    struct stat st;
    if (!path || ::lstat(path->c_str(), &st) == 0) return false;
    return ::mkdir(path->c_str(), 0777) == 0;
}

// Moves without ever replacing an existing destination.
bool moveWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system without the no-replace flag: test, then rename.
        struct stat st;
        if (::lstat(to.c_str(), &st) == 0) return false;
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    if (errno != EXDEV) return false;
    // Another file system: copy (refused when the destination exists), then
    // remove the original; the copy goes again when that fails.
    std::error_code ec;
    if (!fs::copy_file(from, to, fs::copy_options::none, ec) || ec) return false;
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool fileExists(std::u16string_view winPath) {
    return resolvesTo(winPath, false);
}
bool folderExists(std::u16string_view winPath) {
    return resolvesTo(winPath, true);
}
bool fileExists(std::string_view utf8WinPath) {
    return resolvesTo(utf8WinPath, false);
}
bool folderExists(std::string_view utf8WinPath) {
    return resolvesTo(utf8WinPath, true);
}

bool createFolder(std::u16string_view winPath) {
    return makeFolder(winPath);
}
bool createFolder(std::string_view utf8WinPath) {
    return makeFolder(utf8WinPath);
}

bool deleteFile(std::u16string_view winPath) {
    const auto path = winpath::resolve(winPath);
    struct stat st;
    if (!path || ::lstat(path->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    // Removing a name needs no write permission on the file itself, so a
    // read-only file goes as the forced deletion wants.
    return ::unlink(path->c_str()) == 0;
}

bool deleteFolder(std::u16string_view winPath) {
    const auto path = winpath::resolve(winPath);
    struct stat st;
    if (!path || *path == fs::path("/") || ::lstat(path->c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) {
        // A link to a folder: the link goes, the folder it names stays.
        if (::stat(path->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        return ::unlink(path->c_str()) == 0;
    }
    if (!S_ISDIR(st.st_mode)) return false;
    std::error_code ec;
    fs::remove_all(*path, ec);
    return !ec;
}

bool moveFile(std::u16string_view source, std::u16string_view destination) {
    const auto from = winpath::resolve(source);
    struct stat st;
    if (!from || ::lstat(from->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (destination.empty()) return false;
    fs::path to;
    if (isSeparator(destination.back())) {
        const auto folder = winpath::resolve(destination);
        if (!folder || ::stat(folder->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        to = *folder / from->filename();
    } else {
        if (winpath::resolve(destination)) return false;
        const auto target = winpath::resolveForWrite(destination);
        if (!target) return false;
        to = *target;
    }
    return moveWithoutReplacing(*from, to);
}

std::u16string getFileName(std::u16string_view winPath) {
    std::size_t start = 0;
    if (winPath.size() >= 2 && winPath[1] == u':' &&
        ((winPath[0] >= u'a' && winPath[0] <= u'z') ||
         (winPath[0] >= u'A' && winPath[0] <= u'Z'))) {
        start = 2;
    } else if (winPath.size() >= 2 && isSeparator(winPath[0]) && isSeparator(winPath[1])) {
        // "\\server\share" is the drive of a network path.
        std::size_t pos = 2;
        for (int part = 0; part < 2; ++part) {
            while (pos < winPath.size() && !isSeparator(winPath[pos])) ++pos;
            if (part == 0 && pos < winPath.size()) ++pos;
        }
        start = pos;
    }
    std::size_t end = winPath.size();
    while (end > start && isSeparator(winPath[end - 1])) --end;
    std::size_t begin = end;
    while (begin > start && !isSeparator(winPath[begin - 1])) --begin;
    return std::u16string(winPath.substr(begin, end - begin));
}

bool changeToParentFolder(std::string_view utf8WinPath) {
    const auto path = winpath::resolve(utf8WinPath);
    if (!path) return false;
    const fs::path parent = path->parent_path();
    return ::chdir(parent.empty() ? "/" : parent.c_str()) == 0;
}

}  // namespace tlvx::platform::fso
