#pragma once
// Opening files only when they are regular files. A FIFO, a device, a socket
// or a folder is never read or appended to as if it were a file: open(2)
// waits for a writer on a FIFO, and a device such as /dev/zero never ends.
// Every reader and writer of files goes through here; nothing it opens can
// make the caller wait.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/descriptors/file_descriptor.h"

namespace tlvx::platform {

// The most a whole-file read takes: project, group and settings files are
// kilobytes, so anything beyond this is no such file. It is also the most
// any reader takes from a file whose size tells nothing (readBound), and the
// longest line a line reader holds.
inline constexpr std::uint64_t kMaxWholeFileSize = std::uint64_t{64} << 20;
inline constexpr std::uint64_t kAnyFileSize = UINT64_MAX;

// Why a file was not opened.
enum class FileRefusal {
    None,        // it was opened
    Missing,     // no such file (also a link that names nothing)
    Folder,      // a folder, not a file
    NotRegular,  // a FIFO, a device or a socket
    TooLarge,    // larger than the caller's bound
    Failed,      // the system refused it (see error())
};

// An open regular file, closed when the object goes.
class RegularFile {
public:
    RegularFile() = default;

    // Opens `path` (links followed) for reading when it is a regular file of
    // at most `maxSize` bytes.
    static RegularFile openForReading(const std::filesystem::path& path,
                                      std::uint64_t maxSize = kAnyFileSize);
    // Opens `path` for appending when it is a regular file; creates it with
    // `mode` (less the umask) when nothing has the name. A link that names
    // nothing is refused rather than followed to create its target.
    static RegularFile openForAppend(const std::filesystem::path& path, mode_t mode = 0666);

    explicit operator bool() const { return static_cast<bool>(fd_); }
    int fd() const { return fd_.get(); }
    // The size when it was opened.
    std::uint64_t size() const { return size_; }
    // True for a file of a pseudo-file system (procfs, sysfs, debugfs and
    // the like), whose reported size says nothing about what reads give:
    // /proc/self/pagemap reports 0 and reads as the whole address space.
    bool isPseudo() const { return pseudo_; }
    // The most bytes a reader takes from the file: the whole-file bound for
    // a pseudo-file and for a file that reported size 0 (it may be one, or
    // grow while it is read), else no bound. A reader that meets more
    // stops as at a read error.
    std::uint64_t readBound() const {
        return pseudo_ || size_ == 0 ? kMaxWholeFileSize : kAnyFileSize;
    }
    FileRefusal refusal() const { return refusal_; }
    // The errno value of a refusal of the system.
    int error() const { return error_; }
    // The bound a file refused as too large exceeded.
    std::uint64_t bound() const { return bound_; }
    // Hands the descriptor over to the caller, who closes it.
    int release();

private:
    static RegularFile refused(FileRefusal why, int error = 0);

    FileDescriptor fd_;
    std::uint64_t size_ = 0;
    bool pseudo_ = false;
    FileRefusal refusal_ = FileRefusal::None;
    int error_ = 0;
    std::uint64_t bound_ = 0;  // the bound a too large file exceeded
};

// A short text for a message: "not a regular file", "larger than 64 MiB",
// the system's own text for its refusals.
std::string describeRefusal(const RegularFile& file);

// True when a rewrite may put a new file in the place of `target`: nothing
// has that name, or it names (through links) a regular file. False for a
// FIFO, a device, a socket, a folder and a link that names nothing.
bool isReplaceable(const std::filesystem::path& target);

// True when `fd` lies on a pseudo-file system (by statfs(2)'s f_type).
bool onPseudoFileSystem(int fd);

// The whole file; nullopt when the path names no regular file (a folder, a
// FIFO, a device), when the file holds more than `maxSize` bytes (or more
// than its readBound), or when it cannot be opened or read.
std::optional<std::string> readAll(const std::filesystem::path& path,
                                   std::uint64_t maxSize = kMaxWholeFileSize);

}  // namespace tlvx::platform
