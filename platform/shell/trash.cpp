#include "platform/shell/trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/descriptors/file_descriptor.h"
#include "platform/descriptors/regular_file.h"
#include "platform/files/text_stream.h"
#include "platform/shell/system_folders.h"
#include "platform/text/percent_encoding.h"

// The order of a move is the one the trash's layout asks for: the info file is
// made first, with O_EXCL, which reserves the name against every other
// program trashing at the same moment; then the item is renamed into
// files/ without replacing anything there. A failed move takes the info
// file back. Emptying removes an item before its info file, so that a
// crash never leaves an item nobody can see.

namespace tlvx::platform::trash {
namespace {

namespace fs = std::filesystem;
namespace folders = platform::folders;

constexpr std::string_view kInfoSuffix = ".trashinfo";
// The longest file name, in bytes; the info file's name is the item's name
// and the suffix.
constexpr std::size_t kMaxFileName = 255;
constexpr std::size_t kMaxItemName = kMaxFileName - kInfoSuffix.size();
constexpr unsigned kMaxNameAttempts = 100000;

bool lstatOf(const fs::path& path, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0;
}

bool present(const fs::path& path) {
    struct stat info {};
    return lstatOf(path, info);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool syncFolder(const fs::path& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd && ::fsync(fd.get()) == 0;
}

// A folder of the trash: made (for the user alone) when missing, and a real
// folder, not a link to one elsewhere.
bool makeTrashFolder(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    return lstatOf(folder, info) && S_ISDIR(info.st_mode);
}

bool prepareTrash(const fs::path& trash) {
    std::error_code ec;
    fs::create_directories(trash.parent_path(), ec);
    return makeTrashFolder(trash) && makeTrashFolder(trash / "files") &&
           makeTrashFolder(trash / "info");
}

// `text` cut to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string cutUtf8(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return std::string(text);
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut));
}

// The name to try for the n-th time: the item's own name first, then with
// ".2", ".3", ... before its extension ("report.2.txt"), cut to fit.
std::string candidateName(const std::string& name, unsigned attempt) {
    std::string stem = name;
    std::string extension;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && dot + 1 < name.size()) {
        stem = name.substr(0, dot);
        extension = name.substr(dot);
    }
    const std::string number = attempt == 1 ? "" : "." + std::to_string(attempt);
    if (number.size() + extension.size() >= kMaxItemName) {
        return cutUtf8(name, kMaxItemName - number.size()) + number;
    }
    return cutUtf8(stem, kMaxItemName - number.size() - extension.size()) + number + extension;
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// A reserved name in the trash: the info file exists (empty) and open.
struct Reservation {
    std::string name;
    fs::path infoFile;
    FileDescriptor fd;
};

std::optional<Reservation> reserveName(const fs::path& trash, const std::string& itemName) {
    for (unsigned attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string name = candidateName(itemName, attempt);
        const fs::path infoFile = trash / "info" / (name + std::string(kInfoSuffix));
        FileDescriptor fd(
            ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd) {
            if (errno == EEXIST) continue;
            return std::nullopt;
        }
        // A name some item holds without an info file is taken as well.
        if (present(trash / "files" / name)) {
            fd.reset();
            ::unlink(infoFile.c_str());
            continue;
        }
        return Reservation{name, infoFile, std::move(fd)};
    }
    return std::nullopt;
}

bool writeInfo(FileDescriptor& fd, const fs::path& original) {
    const std::string info = "[Trash Info]\nPath=" + percent::encodePath(original.native()) +
                             "\nDeletionDate=" + deletionDate() + "\n";
    return writeAll(fd.get(), info) && ::fsync(fd.get()) == 0 && fd.close();
}

// ---------------------------------------------------------------------------
// Copying an item to another file system

void copyOwnerAndTimes(const fs::path& to, const struct stat& from, bool isLink) {
    // Only root can give a file away; everyone else's copy is their own.
    if (::geteuid() == 0) {
        [[maybe_unused]] const int owned = ::lchown(to.c_str(), from.st_uid, from.st_gid);
    }
    if (!isLink) ::chmod(to.c_str(), from.st_mode & 07777);
    const timespec times[2] = {from.st_atim, from.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

bool copyFile(const fs::path& from, const fs::path& to, const struct stat& info) {
    // Through the regular-file opener, and only the file that was looked at
    // (no link put in its place meanwhile). A pseudo-file is never copied:
    // it cannot be removed afterwards, and /proc/self/pagemap would fill the
    // disk with the whole address space.
    const RegularFile in = RegularFile::openForReading(from);
    if (!in || in.isPseudo()) return false;
    struct stat opened {};
    if (::fstat(in.fd(), &opened) != 0 || opened.st_dev != info.st_dev ||
        opened.st_ino != info.st_ino) {
        return false;
    }
    FileDescriptor out(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out) return false;
    std::vector<char> buffer(1 << 20);
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t got = ::read(in.fd(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        copied += static_cast<std::uint64_t>(got);
        if (copied > in.readBound()) return false;
        if (!writeAll(out.get(), std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return false;
        }
    }
    if (::fsync(out.get()) != 0 || !out.close()) return false;
    copyOwnerAndTimes(to, info, false);
    return true;
}

bool copyTree(const fs::path& from, const fs::path& to) {
    struct stat info {};
    if (!lstatOf(from, info)) return false;
    if (S_ISREG(info.st_mode)) return copyFile(from, to, info);
    if (S_ISLNK(info.st_mode)) {
        std::string target(static_cast<std::size_t>(info.st_size) + 1, '\0');
        const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return false;
        target.resize(static_cast<std::size_t>(length));
        if (::symlink(target.c_str(), to.c_str()) != 0) return false;
        copyOwnerAndTimes(to, info, true);
        return true;
    }
    if (S_ISFIFO(info.st_mode)) {
        if (::mkfifo(to.c_str(), 0600) != 0) return false;
        copyOwnerAndTimes(to, info, false);
        return true;
    }
    if (!S_ISDIR(info.st_mode)) return false;  // a device or a socket cannot be copied
    if (::mkdir(to.c_str(), 0700) != 0) return false;
    std::error_code ec;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        if (!copyTree(it->path(), to / it->path().filename())) return false;
    }
    if (ec || !syncFolder(to)) return false;
    // Last, so that the copies made inside do not change the folder's times.
    copyOwnerAndTimes(to, info, false);
    return true;
}

// Copies the item into the trash, then removes it from its place. When the
// copy fails it is taken back and the item stays.
bool copyAcross(const fs::path& item, const fs::path& destination) {
    if (!copyTree(item, destination) || !syncFolder(destination.parent_path())) {
        std::error_code ec;
        fs::remove_all(destination, ec);
        return false;
    }
    // The copy is whole and on disk; what cannot be removed of the original
    // stays where it was.
    std::error_code ec;
    fs::remove_all(item, ec);
    return true;
}

bool renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    // A file system that cannot promise not to replace: the name was
    // reserved by its info file, so a plain rename is the next best thing.
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (present(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// The item as an absolute path whose folders are followed to their real
// place; nullopt for the root or a path whose folder does not exist.
std::optional<fs::path> absoluteItemPath(const fs::path& item) {
    std::error_code ec;
    fs::path path = fs::absolute(item, ec).lexically_normal();
    if (ec) return std::nullopt;
    if (!path.has_filename()) path = path.parent_path();
    const fs::path name = path.filename();
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    const fs::path folder = fs::canonical(path.parent_path(), ec);
    if (ec) return std::nullopt;
    return folder / name;
}

bool isWithin(const fs::path& inner, const fs::path& outer) {
    const std::string& in = inner.native();
    const std::string& out = outer.native();
    return in == out ||
           (in.size() > out.size() && in.starts_with(out) && (out == "/" || in[out.size()] == '/'));
}

// ---------------------------------------------------------------------------
// Reading the trash

struct Item {
    std::string name;  // in files/, and with the suffix in info/
    fs::path infoFile;
};

std::vector<Item> itemsWithInfo(const fs::path& trash) {
    std::vector<Item> items;
    std::error_code ec;
    for (fs::directory_iterator it(trash / "info", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename();
        if (file.size() <= kInfoSuffix.size() || !file.ends_with(kInfoSuffix)) continue;
        std::string name = file.substr(0, file.size() - kInfoSuffix.size());
        if (!present(trash / "files" / name)) continue;
        items.push_back({std::move(name), it->path()});
    }
    return items;
}

// The Path of an info file, decoded.
std::optional<fs::path> originalPath(const fs::path& infoFile) {
    const auto text = readAll(infoFile, 1 << 20);
    if (!text) return std::nullopt;
    std::string_view rest = *text;
    bool inGroup = false;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.starts_with('[')) {
            inGroup = line == "[Trash Info]";
        } else if (inGroup && line.starts_with("Path=")) {
            const auto decoded = percent::decode(line.substr(5));
            if (!decoded || decoded->empty()) return std::nullopt;
            return fs::path(*decoded);
        }
    }
    return std::nullopt;
}

// The file system a path lies on: that of its nearest existing folder.
std::optional<dev_t> deviceOf(fs::path path) {
    for (;;) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) return info.st_dev;
        if (!path.has_relative_path()) return std::nullopt;
        path = path.parent_path();
    }
}

bool cameFrom(const Item& item, std::optional<dev_t> device) {
    if (!device) return true;
    const auto original = originalPath(item.infoFile);
    return original && original->is_absolute() && deviceOf(*original) == device;
}

bool isRecent(const fs::path& file) {
    constexpr std::time_t kMoveTime = 60;
    struct stat info {};
    return lstatOf(file, info) && info.st_mtime > std::time(nullptr) - kMoveTime;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::uint64_t sizeOf(const fs::path& path) {
    struct stat info {};
    if (!lstatOf(path, info)) return 0;
    if (!S_ISDIR(info.st_mode)) return static_cast<std::uint64_t>(info.st_size);
    std::uint64_t total = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator
             it(path, fs::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        struct stat entry {};
        if (lstatOf(it->path(), entry) && !S_ISDIR(entry.st_mode)) {
            total = saturatingAdd(total, static_cast<std::uint64_t>(entry.st_size));
        }
    }
    return total;
}

// The drive's file system; nullopt without a drive, `failed` when it names
// nothing.
std::optional<dev_t> driveDevice(const std::optional<fs::path>& drive, bool& failed) {
    failed = false;
    if (!drive) return std::nullopt;
    struct stat info {};
    if (::stat(drive->c_str(), &info) != 0) {
        failed = true;
        return std::nullopt;
    }
    return info.st_dev;
}

}  // namespace

fs::path userTrash() {
    constexpr int kLocalApplicationData = 0x1C;  // $XDG_DATA_HOME
    return *folders::specialFolder(kLocalApplicationData) / "Trash";
}

bool moveToTrash(const fs::path& item, const fs::path& trash) noexcept {
    try {
        const auto original = absoluteItemPath(item);
        struct stat info {};
        if (!original || !lstatOf(*original, info) || !prepareTrash(trash)) return false;
        std::error_code ec;
        const fs::path realTrash = fs::canonical(trash, ec);
        if (ec || isWithin(*original, realTrash)) return false;
        if (S_ISDIR(info.st_mode) && isWithin(realTrash, *original)) return false;

        auto reservation = reserveName(realTrash, original->filename());
        if (!reservation) return false;
        FileDescriptor infoFd = std::move(reservation->fd);
        const fs::path destination = realTrash / "files" / reservation->name;
        const auto giveBack = [&] {
            ::unlink(reservation->infoFile.c_str());
            return false;
        };
        if (!writeInfo(infoFd, *original)) return giveBack();
        if (renameWithoutReplacing(*original, destination)) return true;
        if (errno != EXDEV) return giveBack();
        // Another file system: copy only what could also be removed here.
        if (::access(original->parent_path().c_str(), W_OK | X_OK) != 0) return giveBack();
        return copyAcross(*original, destination) || giveBack();
    } catch (...) {
        return false;
    }
}

std::optional<Contents> contents(const fs::path& trash,
                                 const std::optional<fs::path>& drive) noexcept {
    try {
        bool failed = false;
        const auto device = driveDevice(drive, failed);
        if (failed) return std::nullopt;
        Contents found;
        for (const Item& item : itemsWithInfo(trash)) {
            if (!cameFrom(item, device)) continue;
            ++found.items;
            found.bytes = saturatingAdd(found.bytes, sizeOf(trash / "files" / item.name));
        }
        return found;
    } catch (...) {
        return std::nullopt;
    }
}

void emptyTrash(const fs::path& trash, const std::optional<fs::path>& drive) noexcept {
    try {
        bool failed = false;
        const auto device = driveDevice(drive, failed);
        if (failed) return;
        for (const Item& item : itemsWithInfo(trash)) {
            if (!cameFrom(item, device)) continue;
            const fs::path file = trash / "files" / item.name;
            std::error_code ec;
            fs::remove_all(file, ec);
            if (!present(file)) ::unlink(item.infoFile.c_str());
        }
        if (drive) return;
        // Everything else the trash holds: items without info, info without
        // items, the size cache. A fresh info file without its item may be
        // a move another program is making right now; it stays.
        std::error_code ec;
        std::vector<fs::path> leftovers;
        for (fs::directory_iterator it(trash / "files", ec), end; !ec && it != end;
             it.increment(ec)) {
            leftovers.push_back(it->path());
        }
        for (const fs::path& leftover : leftovers) fs::remove_all(leftover, ec);
        leftovers.clear();
        for (fs::directory_iterator it(trash / "info", ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string file = it->path().filename();
            if (file.ends_with(kInfoSuffix) &&
                !present(trash / "files" / file.substr(0, file.size() - kInfoSuffix.size())) &&
                !isRecent(it->path())) {
                leftovers.push_back(it->path());
            }
        }
        for (const fs::path& leftover : leftovers) ::unlink(leftover.c_str());
        ::unlink((trash / "directorysizes").c_str());
    } catch (...) {
    }
}

}  // namespace tlvx::platform::trash
