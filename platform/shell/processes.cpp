#include "platform/shell/processes.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/descriptors/file_descriptor.h"
#include "platform/files/win_path.h"
#include "platform/process/proc_files.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::processes {
namespace {

namespace fs = std::filesystem;

std::optional<pid_t> pidOf(std::string_view name) {
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
    return pid;
}

std::optional<std::string> executableNameOf(pid_t pid) {
    const fs::path folder = fs::path("/proc") / std::to_string(pid);
    std::error_code ec;
    const fs::path program = fs::read_symlink(folder / "exe", ec);
    if (!ec) {
        std::string name = program.filename();
        constexpr std::string_view kDeleted = " (deleted)";
        if (name.ends_with(kDeleted)) name.resize(name.size() - kDeleted.size());
        if (!name.empty()) return name;
    }
    // Kernel threads run no program; a process that may not be looked into
    // still tells its command name.
    if (ec.value() != EACCES && ec.value() != EPERM) return std::nullopt;
    auto command = proc::readSmallFile(folder / "comm");
    if (!command) return std::nullopt;
    if (command->ends_with('\n')) command->pop_back();
    if (command->empty()) return std::nullopt;
    return command;
}

bool nameEndsWith(std::string_view name, std::u16string_view lowerTail) {
    const std::u16string lowerName =
        unicode::toLower(winpath::toUtf16(fs::path(std::string(name))));
    return lowerName.size() >= lowerTail.size() && lowerName.ends_with(lowerTail);
}

int openProcess(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

bool signalProcess(int pidfd) {
#ifdef SYS_pidfd_send_signal
    return ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0) == 0;
#else
    (void)pidfd;
    return false;
#endif
}

// Ends one process while its name still ends with the tail.
bool endProcess(pid_t pid, std::u16string_view lowerTail) {
    const FileDescriptor pidfd(openProcess(pid));
    if (!pidfd) {
        if (errno != ENOSYS) return false;  // gone already, or not ours to see
        // Without process descriptors the number is all there is.
        const auto name = executableNameOf(pid);
        return name && nameEndsWith(*name, lowerTail) && ::kill(pid, SIGKILL) == 0;
    }
    // The descriptor holds on to this very process: once the name is seen
    // to match, the signal cannot reach another one.
    const auto name = executableNameOf(pid);
    return name && nameEndsWith(*name, lowerTail) && signalProcess(pidfd.get());
}

}  // namespace

std::vector<Process> runningProcesses() {
    std::vector<Process> list;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const auto pid = pidOf(it->path().filename().native());
        if (!pid) continue;
        if (auto name = executableNameOf(*pid)) list.push_back({*pid, std::move(*name)});
    }
    return list;
}

std::vector<pid_t> processesEndingWith(const std::vector<Process>& list, std::u16string_view tail,
                                       pid_t self) {
    std::vector<pid_t> found;
    if (tail.empty()) return found;
    const std::u16string lowerTail = unicode::toLower(tail);
    for (const Process& process : list) {
        if (process.pid != self && nameEndsWith(process.executableName, lowerTail)) {
            found.push_back(process.pid);
        }
    }
    return found;
}

std::size_t endProcessesEndingWith(std::u16string_view tail) noexcept {
    try {
        const std::u16string lowerTail = unicode::toLower(tail);
        std::size_t ended = 0;
        for (const pid_t pid : processesEndingWith(runningProcesses(), tail, ::getpid())) {
            if (endProcess(pid, lowerTail)) ++ended;
        }
        return ended;
    } catch (...) {
        return 0;
    }
}

}  // namespace tlvx::platform::processes
