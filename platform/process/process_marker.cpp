#include "platform/process/process_marker.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "platform/process/boot_id.h"
#include "platform/process/proc_files.h"

namespace tlvx::platform::process {
namespace {

// FNV-1a folded to 32 bits: enough to tell machines and boots apart.
std::uint32_t hash32(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (const unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}

struct Host {
    std::uint32_t machine = 0;
    std::uint32_t boot = 0;
    std::string pidNamespace;  // the namespace's inode number
};

Host readHost() {
    Host host;
    std::string machine = proc::firstLineOf("/etc/machine-id");
    if (machine.empty()) machine = proc::firstLineOf("/var/lib/dbus/machine-id");
    if (machine.empty()) {
        char name[256] = {};
        ::gethostname(name, sizeof name - 1);
        machine = name;
    }
    host.machine = hash32(machine);
    host.boot = hash32(currentBootId());
    char link[64] = {};
    const ssize_t n = ::readlink("/proc/self/ns/pid", link, sizeof link - 1);
    const std::string_view text(link, n > 0 ? static_cast<std::size_t>(n) : 0);
    for (const char c : text)
        if (c >= '0' && c <= '9') host.pidNamespace += c;
    if (host.pidNamespace.empty()) host.pidNamespace = "0";
    return host;
}

const Host& thisHost() {
    static const Host host = readHost();
    return host;
}

// The start time of a process in clock ticks after boot (field 22 of its
// stat file).
std::optional<std::string> startTimeOf(pid_t pid) {
    auto start = proc::processStatField(pid, 22);
    if (!start || start->empty() || start->find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return start;
}

std::string hostPart() {
    char text[20];
    std::snprintf(text, sizeof text, "%08x%08x", thisHost().machine, thisHost().boot);
    return text;
}

struct Fields {
    std::uint32_t machine = 0;
    std::uint32_t boot = 0;
    std::string_view pidNamespace;
    pid_t pid = 0;
    std::string_view start;
};

bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<Fields> parse(std::string_view marker) {
    std::array<std::string_view, 4> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto dash = marker.find('-');
        if ((dash == std::string_view::npos) != (i + 1 == parts.size())) return std::nullopt;
        parts[i] = marker.substr(0, dash);
        if (dash != std::string_view::npos) marker.remove_prefix(dash + 1);
    }
    Fields f;
    const std::string_view host = parts[0];
    if (host.size() != 16) return std::nullopt;
    const auto hex = [](std::string_view text, std::uint32_t& value) {
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        return ec == std::errc() && end == text.data() + text.size();
    };
    if (!hex(host.substr(0, 8), f.machine) || !hex(host.substr(8), f.boot)) return std::nullopt;
    if (!allDigits(parts[1]) || !allDigits(parts[2]) || !allDigits(parts[3])) return std::nullopt;
    f.pidNamespace = parts[1];
    int pid = 0;
    const auto [end, ec] = std::from_chars(parts[2].data(), parts[2].data() + parts[2].size(), pid);
    if (ec != std::errc() || end != parts[2].data() + parts[2].size() || pid <= 0)
        return std::nullopt;
    f.pid = static_cast<pid_t>(pid);
    f.start = parts[3];
    return f;
}

}  // namespace

std::optional<std::string> markerOf(pid_t pid) {
    const auto start = startTimeOf(pid);
    if (!start) return std::nullopt;
    return hostPart() + "-" + thisHost().pidNamespace + "-" + std::to_string(pid) + "-" + *start;
}

std::string ownMarker() {
    // Read once per process: every rewrite asks for it. A child made by
    // fork has a pid of its own and reads its own.
    static std::mutex mutex;
    static pid_t markedPid = 0;
    static std::string mark;
    const std::lock_guard lock(mutex);
    const pid_t pid = ::getpid();
    if (pid != markedPid) {
        // Our own stat file is always there; "0" only where /proc is
        // missing, which then leaves the mark to be judged Running by all.
        mark = markerOf(pid).value_or(hostPart() + "-" + thisHost().pidNamespace + "-" +
                                      std::to_string(pid) + "-0");
        markedPid = pid;
    }
    return mark;
}

Owner ownerOf(std::string_view marker) {
    const auto f = parse(marker);
    if (!f) return Owner::Unknown;
    const Host& host = thisHost();
    if (f->machine != host.machine) return Owner::Unknown;
    // A mark of an earlier boot of this machine: its process ended with it.
    if (f->boot != host.boot) return Owner::Gone;
    if (f->pidNamespace != host.pidNamespace) return Owner::Unknown;
    // kill(pid, 0) sees processes that /proc may hide from us (hidepid).
    if (::kill(f->pid, 0) != 0 && errno == ESRCH) return Owner::Gone;
    const auto start = startTimeOf(f->pid);
    if (!start || f->start == "0") return Owner::Running;
    return *start == f->start ? Owner::Running : Owner::Gone;
}

}  // namespace tlvx::platform::process
