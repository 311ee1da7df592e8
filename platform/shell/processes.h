#pragma once
// The running processes, read from /proc, and ending them: what a process
// snapshot (CreateToolhelp32Snapshot) and TerminateProcess do on Windows.
// A process's executable name is the file name of the program it runs
// (/proc/PID/exe, without the " (deleted)" mark of a program removed since),
// or its command name where the program cannot be read.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::platform::processes {

struct Process {
    pid_t pid = 0;
    std::string executableName;  // bytes as the file system has them
};

// Every process of the system whose executable name can be read.
std::vector<Process> runningProcesses();

// The processes of `list` whose executable name ends with `tail`, without
// regard to letter case; never `self`. An empty tail matches nothing.
std::vector<pid_t> processesEndingWith(const std::vector<Process>& list, std::u16string_view tail,
                                       pid_t self);

// Ends at once (SIGKILL, as TerminateProcess gives no chance to refuse)
// every process the user may signal whose executable name ends with
// `tail`, never the calling process; the others are passed over. A process
// is signalled only while its name still matches, so a number given to a
// new process meanwhile is left alone. The number of processes ended.
std::size_t endProcessesEndingWith(std::u16string_view tail) noexcept;

}  // namespace tlvx::platform::processes
