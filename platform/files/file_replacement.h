#pragma once
// Every file the system rewrites is written to a new, empty, uniquely named
// file in the target's own folder and renamed over the target in one step,
// so that an interrupted or failed rewrite leaves the target as it was and
// two rewrites at once never mix their output.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/descriptors/file_descriptor.h"
#include "platform/process/interruption.h"

namespace tlvx::platform {

// Whether a replaced file must survive a crash of the machine: Scratch
// spares the flushes to disk for files that are made again at every run.
enum class Durability { Synced, Scratch };

class FileReplacement {
public:
    // Creates the new file beside `target`; ok() tells whether that worked.
    // It is a hidden marked file (".<name>.tlvx-<mark>-XXXXXX", see
    // platform/process/leftovers.h): removed should the process be interrupted, and
    // removed by a later rewrite in the folder should the process be killed.
    // Such files that killed writers left in the folder long ago go first. A
    // target that is a symbolic link is replaced at the file the link points
    // to, so the link stays. A target that is no regular file (a FIFO, a
    // device, a socket, a folder, a link that names nothing) is refused:
    // ok() is false.
    explicit FileReplacement(const std::filesystem::path& target,
                             Durability durability = Durability::Synced);
    // Removes the new file unless commit() succeeded.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool ok() const { return fd_ && !failed_; }
    // Appends bytes; a failed write makes ok() false and commit() refuse.
    void write(std::string_view bytes);
    // Flushes the new file to disk (unless Scratch), gives it the target's permissions when
    // the target exists (else 0666 less the umask), and renames it over the
    // target. False when any step failed; the target is then unchanged.
    bool commit();
    // As commit(), but only when the target does not exist: an existing
    // one, also one created meanwhile, stays as it is (error() EEXIST).
    bool commitAsNewFile();
    const std::filesystem::path& target() const { return target_; }
    // The system error of the step that failed; 0 while none did.
    int error() const { return error_; }

private:
    bool flushBuffer();
    bool finish(bool replace);
    void fail();
    void abandon();

    std::filesystem::path target_;
    interruption::PathGuard temp_;
    bool durable_ = true;
    FileDescriptor fd_;
    bool failed_ = false;
    bool committed_ = false;
    int error_ = 0;
    std::string buffer_;
};

// Writes `bytes` as the whole new content of `target` through a replacement.
bool replaceFileContent(const std::filesystem::path& target, std::string_view bytes,
                        Durability durability = Durability::Synced);

}  // namespace tlvx::platform
