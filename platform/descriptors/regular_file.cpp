#include "platform/descriptors/regular_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tlvx::platform {
namespace {

constexpr std::size_t kWholeReadBlock = 64 * 1024;

// read(2) that retries after a signal; -1 on an error.
ssize_t readSome(int fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got >= 0 || errno != EINTR) return got;
    }
}

// O_NONBLOCK makes open(2) return at once on a FIFO without a writer (or,
// for writing, without a reader); O_NOCTTY keeps a terminal from becoming
// the process's own. Neither changes anything for a regular file.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

FileRefusal refusalOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FileRefusal::None;
    return S_ISDIR(mode) ? FileRefusal::Folder : FileRefusal::NotRegular;
}

FileRefusal refusalOfErrno(int error) {
    return error == ENOENT || error == ENOTDIR ? FileRefusal::Missing : FileRefusal::Failed;
}

// Takes back O_NONBLOCK, so that whoever reads or writes the descriptor
// sees an ordinary file.
bool makeBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// The file systems whose files the kernel makes up as they are read.
constexpr decltype(statfs::f_type) kPseudoFileSystems[] = {
    PROC_SUPER_MAGIC,   SYSFS_MAGIC,         DEBUGFS_MAGIC, TRACEFS_MAGIC,  SECURITYFS_MAGIC,
    CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC,  PSTOREFS_MAGIC, EFIVARFS_MAGIC,
    BINFMTFS_MAGIC,     SELINUX_MAGIC,       SMACK_MAGIC,   NSFS_MAGIC,     DEVPTS_SUPER_MAGIC,
};

}  // namespace

bool onPseudoFileSystem(int fd) {
    struct statfs info;
    if (::fstatfs(fd, &info) != 0) return false;
    for (const auto type : kPseudoFileSystems)
        if (info.f_type == type) return true;
    return false;
}

int RegularFile::release() {
    return fd_.release();
}

RegularFile RegularFile::refused(FileRefusal why, int error) {
    RegularFile file;
    file.refusal_ = why;
    file.error_ = error;
    return file;
}

RegularFile RegularFile::openForReading(const std::filesystem::path& path, std::uint64_t maxSize) {
    struct stat st;
    // Looked at before it is opened: opening a device or a FIFO can have
    // effects of its own (a FIFO's waiting writer would be let go).
    if (::stat(path.c_str(), &st) != 0) return refused(refusalOfErrno(errno), errno);
    if (const auto why = refusalOfMode(st.st_mode); why != FileRefusal::None) return refused(why);
    RegularFile file;
    file.fd_.reset(::open(path.c_str(), O_RDONLY | kOpenFlags));
    if (!file.fd_) return refused(refusalOfErrno(errno), errno);
    // The name may have come to name something else in between: what
    // counts is what was opened.
    if (::fstat(file.fd_.get(), &st) != 0) return refused(FileRefusal::Failed, errno);
    if (const auto why = refusalOfMode(st.st_mode); why != FileRefusal::None) return refused(why);
    file.size_ = static_cast<std::uint64_t>(st.st_size);
    file.pseudo_ = onPseudoFileSystem(file.fd_.get());
    if (file.size_ > maxSize) {
        RegularFile tooLarge = refused(FileRefusal::TooLarge);
        tooLarge.size_ = file.size_;
        tooLarge.bound_ = maxSize;
        return tooLarge;
    }
    if (!makeBlocking(file.fd_.get())) return refused(FileRefusal::Failed, errno);
    return file;
}

RegularFile RegularFile::openForAppend(const std::filesystem::path& path, mode_t mode) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (const auto why = refusalOfMode(st.st_mode); why != FileRefusal::None)
            return refused(why);
    }
    RegularFile file;
    // Two tries: a file that another process creates between the two opens
    // of the first try is then opened as the existing file it has become.
    for (int attempt = 0; attempt < 2 && !file.fd_; ++attempt) {
        file.fd_.reset(::open(path.c_str(), O_WRONLY | O_APPEND | kOpenFlags));
        if (file.fd_ || errno != ENOENT) break;
        // O_EXCL creates the name itself and never follows a link, so a
        // link that names nothing fails here instead of making its target.
        file.fd_.reset(
            ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | kOpenFlags, mode));
        if (!file.fd_ && errno != EEXIST) break;
    }
    // Still taken: the name is a link that names nothing.
    if (!file.fd_ && errno == EEXIST) return refused(FileRefusal::Missing);
    if (!file.fd_) return refused(refusalOfErrno(errno), errno);
    if (::fstat(file.fd_.get(), &st) != 0) return refused(FileRefusal::Failed, errno);
    if (const auto why = refusalOfMode(st.st_mode); why != FileRefusal::None) return refused(why);
    file.size_ = static_cast<std::uint64_t>(st.st_size);
    if (!makeBlocking(file.fd_.get())) return refused(FileRefusal::Failed, errno);
    return file;
}

std::string describeRefusal(const RegularFile& file) {
    switch (file.refusal()) {
        case FileRefusal::None:
            return {};
        case FileRefusal::Missing:
            return "no such file";
        case FileRefusal::Folder:
            return "a folder, not a file";
        case FileRefusal::NotRegular:
            return "not a regular file";
        case FileRefusal::TooLarge:
            return "larger than " + sizeText(file.bound());
        case FileRefusal::Failed:
            return std::strerror(file.error());
    }
    return {};
}

bool isReplaceable(const std::filesystem::path& target) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
    if (S_ISLNK(st.st_mode) && ::stat(target.c_str(), &st) != 0) return false;
    return S_ISREG(st.st_mode);
}

std::optional<std::string> readAll(const std::filesystem::path& path, std::uint64_t maxSize) {
    const auto file = RegularFile::openForReading(path, maxSize);
    if (!file) return std::nullopt;
    maxSize = std::min(maxSize, file.readBound());
    std::string text;
    // The size is a hint only: the file may grow or shrink while it is read.
    // It may not grow beyond the bound, though: one byte more is read than
    // the bound allows, to tell.
    const std::size_t limit =
        static_cast<std::size_t>(std::min<std::uint64_t>(maxSize, SIZE_MAX - 1));
    std::size_t capacity =
        static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), limit)) + 1;
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) {
            if (size > limit) return std::nullopt;
            capacity = std::min(std::max(capacity * 2, kWholeReadBlock), limit + 1);
        }
        text.resize(capacity);
        const ssize_t got = readSome(file.fd(), text.data() + size, capacity - size);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    if (size > limit) return std::nullopt;
    text.resize(size);
    return text;
}

}  // namespace tlvx::platform
