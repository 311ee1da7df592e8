#include "platform/files/file_replacement.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/descriptors/regular_file.h"
#include "platform/process/leftovers.h"
#include "platform/process/proc_files.h"

namespace tlvx::platform {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The file a symbolic link finally names, so that replacing keeps the link.
std::filesystem::path followLinks(const std::filesystem::path& target) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    char* real = ::realpath(target.c_str(), nullptr);
    if (!real) return target;
    std::filesystem::path resolved(real);
    ::free(real);
    return resolved;
}

void syncFolder(const std::filesystem::path& folder) {
    const FileDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) ::fsync(fd.get());
}

}  // namespace

FileReplacement::FileReplacement(const std::filesystem::path& target, Durability durability)
    : target_(followLinks(target)), durable_(durability == Durability::Synced) {
    // A FIFO, a device or a folder is no file to rewrite, and a link that
    // names nothing is not followed to make a file where it points.
    if (!isReplaceable(target)) {
        error_ = EINVAL;
        failed_ = true;
        return;
    }
    const std::string name = target_.filename().native();
    if (name.empty() || name == "." || name == "..") {
        error_ = EINVAL;
        failed_ = true;
        return;
    }
    const std::filesystem::path folder = target_.parent_path();
    // What killed rewriters left here long ago goes before a new one starts.
    leftovers::removeAbandonedFilesOccasionally(folder);
    auto file = leftovers::createMarkedFile(folder, name);
    if (!file.fd) {
        error_ = file.error;
        failed_ = true;
        return;
    }
    fd_ = std::move(file.fd);
    temp_ = std::move(file.guard);
    buffer_.reserve(kBufferSize);
}

FileReplacement::~FileReplacement() {
    if (!committed_) abandon();
}

void FileReplacement::fail() {
    if (error_ == 0) error_ = errno != 0 ? errno : EIO;
    failed_ = true;
}

void FileReplacement::abandon() {
    fd_.reset();
    if (temp_.ok()) ::unlink(temp_.path().c_str());
    temp_.release();
    failed_ = true;
}

void FileReplacement::write(std::string_view bytes) {
    if (!ok()) return;
    if (buffer_.size() + bytes.size() <= kBufferSize) {
        buffer_.append(bytes);
        return;
    }
    if (!flushBuffer()) return;
    if (bytes.size() >= kBufferSize) {
        if (!writeAll(fd_.get(), bytes.data(), bytes.size())) fail();
    } else {
        buffer_.append(bytes);
    }
}

bool FileReplacement::flushBuffer() {
    if (!writeAll(fd_.get(), buffer_.data(), buffer_.size())) fail();
    buffer_.clear();
    return !failed_;
}

bool FileReplacement::commit() {
    return finish(true);
}

bool FileReplacement::commitAsNewFile() {
    return finish(false);
}

// Renames the new file to the target without replacing an existing one;
// where the file system cannot do that in one step, a hard link does it.
static int renameNoReplace(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    if (::link(from, to) != 0) return -1;
    ::unlink(from);
    return 0;
}

bool FileReplacement::finish(bool replace) {
    if (committed_) return true;
    if (!ok() || !flushBuffer() || (durable_ && ::fsync(fd_.get()) != 0)) {
        fail();
        abandon();
        return false;
    }
    if (!isReplaceable(target_)) {
        error_ = EINVAL;
        failed_ = true;
        abandon();
        return false;
    }
    struct stat st;
    mode_t mode = 0666 & ~proc::currentUmask();
    if (replace && ::stat(target_.c_str(), &st) == 0) {
        // The permission bits only: a set-user-id bit must not pass to a
        // file that now belongs to whoever rewrote it.
        mode = st.st_mode & 0777;
        // The rewritten file keeps its owner where we may give it (the
        // super-user rewriting another user's file); otherwise it is ours.
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
            ::fchown(fd_.get(), st.st_uid, st.st_gid) != 0) {
            // At least the group, where we belong to it; else the file is
            // wholly ours, which is no failure.
            [[maybe_unused]] const int kept =
                ::fchown(fd_.get(), static_cast<uid_t>(-1), st.st_gid);
        }
    }
    if (::fchmod(fd_.get(), mode) != 0) {
        fail();
        abandon();
        return false;
    }
    // A failed close may mean a failed write (on a network file system).
    const bool closed = fd_.close();
    const char* temp = temp_.path().c_str();
    const bool renamed = closed && (replace ? ::rename(temp, target_.c_str())
                                            : renameNoReplace(temp, target_.c_str())) == 0;
    if (!renamed) {
        fail();
        abandon();
        return false;
    }
    temp_.release();
    committed_ = true;
    if (durable_) syncFolder(target_.parent_path());
    return true;
}

bool replaceFileContent(const std::filesystem::path& target, std::string_view bytes,
                        Durability durability) {
    FileReplacement replacement(target, durability);
    replacement.write(bytes);
    return replacement.commit();
}

}  // namespace tlvx::platform
