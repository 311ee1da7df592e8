#pragma once
// A mark that names one process among all that ever ran on this machine, so
// that what a process leaves behind when it is killed (a half-written file,
// a scratch folder) can carry its owner's mark, and another process can
// later tell whether that owner still runs. A process id alone is not
// enough: ids are reused, and after a restart every id is fresh. The mark
// holds the machine, its boot, the process id namespace, the process id and
// the process's start time.

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::process {

// "<machine and boot: 16 hex digits>-<pid namespace>-<pid>-<start time>",
// letters, digits and '-' only.
std::string ownMarker();
// The mark of another process of this machine; nullopt when it does not run.
std::optional<std::string> markerOf(pid_t pid);

enum class Owner {
    Running,  // the marked process still runs (or might: nothing is certain)
    Gone,     // it certainly ended: its boot is over, or its id is free or reused
    Unknown,  // not ours to judge: another machine or namespace, or no mark
};

// What became of the process a mark names. Only Gone lets anyone remove
// what the process left.
Owner ownerOf(std::string_view marker);

}  // namespace tlvx::platform::process
