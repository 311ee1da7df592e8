#pragma once
// Scratch files and folders that carry their maker's mark, so that what a
// killed process left behind can be told apart and removed later, and what
// a running process still uses never is.
//
// A marked file is ".<stem>.tlvx-<mark>-XXXXXX" (a rewrite's new file beside
// its target, a scratch copy); a marked folder is "<prefix>-<mark>-XXXXXX"
// (a command's private working folder). <mark> is the maker's process mark
// (platform/process/process_marker.h). Both are guarded against interruption while
// their maker holds them (platform/process/interruption.h).

#include <chrono>
#include <filesystem>
#include <string_view>

#include "platform/descriptors/file_descriptor.h"
#include "platform/process/interruption.h"

namespace tlvx::platform::leftovers {

// How long a marked file of a process that ended must have lain unchanged
// before anyone removes it.
inline constexpr std::chrono::seconds kAbandonedAfter{5 * 60};

// A new, empty marked file, open for writing.
struct MarkedFile {
    FileDescriptor fd;              // empty when making the file failed
    int error = 0;                  // errno of a failure
    interruption::PathGuard guard;  // the path, removed on interruption

    const std::filesystem::path& path() const { return guard.path(); }
};

// Makes ".<stem>.tlvx-<mark>-XXXXXX" in `folder`. `stem` is cut (never in
// the middle of a UTF-8 character) so that the name fits in 255 bytes.
MarkedFile createMarkedFile(const std::filesystem::path& folder, std::string_view stem);

// Makes the folder "<prefix>-<mark>-XXXXXX" in `parent` (0700).
interruption::PathGuard createMarkedFolder(const std::filesystem::path& parent,
                                           std::string_view prefix);

// Removes the marked files of `folder` whose maker has certainly ended and
// which nobody changed for `minAge`. Nothing else is touched.
void removeAbandonedFiles(const std::filesystem::path& folder,
                          std::chrono::seconds minAge = kAbandonedAfter);

// As removeAbandonedFiles, but at most once a minute for one folder in one
// process: every rewrite calls it, and a folder may hold many files.
void removeAbandonedFilesOccasionally(const std::filesystem::path& folder);

// Removes, with their content, the marked folders "<prefix>-..." of
// `parent` whose maker has certainly ended.
void removeAbandonedFolders(const std::filesystem::path& parent, std::string_view prefix);

}  // namespace tlvx::platform::leftovers
