// The handler is started through a triple fork: the intermediate child
// starts a new session, forks a watcher and exits at once, so the watcher
// is adopted by init (or the nearest subreaper) and we wait only for the
// intermediate child, which takes no time. The watcher forks the handler,
// waits for it and writes its wait status to a second pipe, which this
// process reads when it asks how the hand-over ended. A close-on-exec pipe
// tells whether the handler's exec succeeded: it reaches end of file when
// the exec closes it, and carries errno when something failed before.
//
// Between fork and exec only async-signal-safe calls are made (the parent
// may have other threads, whose locks a child must not touch), so the
// program is found on PATH and every argument built before forking.

#include "platform/shell/launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/descriptors/file_descriptor.h"

extern char** environ;

namespace tlvx::platform::shell {

namespace {

// argv strings must be writable; built once, never written.
char kHandler[] = "xdg-open";
char kShell[] = "sh";

std::string searchPath() {
    if (const char* path = std::getenv("PATH")) return path;
    // What execvp uses when PATH is unset.
    std::string path(confstr(_CS_PATH, nullptr, 0), '\0');
    if (path.empty()) return "/bin:/usr/bin";
    confstr(_CS_PATH, path.data(), path.size());
    path.pop_back();  // the terminator confstr counted
    return path;
}

bool isExecutableFile(const std::string& candidate) {
    struct stat info {};
    return stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(candidate.c_str(), X_OK) == 0;
}

// The program as execvp would find it; empty when it is nowhere on PATH.
std::string findOnPath(const std::string& name) {
    const std::string path = searchPath();
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        // An empty entry means the current directory.
        const std::string dir = end == start ? "." : path.substr(start, end - start);
        std::string candidate = dir;
        candidate += '/';
        candidate += name;
        if (isExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

// Everything the children need, prepared before forking.
struct Launch {
    std::string program;
    std::string target;
    std::vector<char*> argv;           // handler, target
    std::vector<char*> argvThroughSh;  // sh, program, target: a script without #!
    int highestDescriptor = 0;
};

void reportFailure(int fd, int error) {
    // Nothing can be done about a failed report; the parent then sees EOF.
    [[maybe_unused]] const ssize_t written = write(fd, &error, sizeof error);
}

void closeDescriptorsFrom(int first, int last, int highest) {
    if (first > last) return;
    if (close_range(static_cast<unsigned>(first), static_cast<unsigned>(last), 0) == 0) return;
    for (int fd = first; fd <= last && fd <= highest; ++fd) close(fd);
}

void resetSignals() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    // Ignored signals would stay ignored across exec.
    for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

[[noreturn]] void execHandler(const Launch& launch, int report) {
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull < 0) {
        reportFailure(report, errno);
        _exit(127);
    }
    for (int fd = 0; fd <= 2; ++fd) dup2(devNull, fd);
    closeDescriptorsFrom(3, report - 1, launch.highestDescriptor);
    closeDescriptorsFrom(report + 1, INT_MAX, launch.highestDescriptor);
    resetSignals();
    execve(launch.program.c_str(), launch.argv.data(), environ);
    if (errno == ENOEXEC) execve("/bin/sh", launch.argvThroughSh.data(), environ);
    reportFailure(report, errno);
    _exit(127);
}

// Starts the handler, closes its copy of the report pipe (whose reader
// waits for end of file) and every descriptor of ours but `outcome`, waits
// for the handler and writes its wait status to `outcome`.
[[noreturn]] void watchHandler(const Launch& launch, int report, int outcome) {
    resetSignals();
    const pid_t handler = fork();
    if (handler == 0) execHandler(launch, report);
    if (handler < 0) {
        reportFailure(report, errno);
        _exit(127);
    }
    const int low = std::min(report, outcome);
    const int high = std::max(report, outcome);
    closeDescriptorsFrom(0, low - 1, launch.highestDescriptor);
    close(report);
    closeDescriptorsFrom(low + 1, high - 1, launch.highestDescriptor);
    closeDescriptorsFrom(high + 1, INT_MAX, launch.highestDescriptor);
    int status = 0;
    while (waitpid(handler, &status, 0) < 0) {
        if (errno != EINTR) _exit(127);
    }
    [[maybe_unused]] const ssize_t written = write(outcome, &status, sizeof status);
    _exit(0);
}

[[noreturn]] void detachAndStart(const Launch& launch, int pipeWrite, int outcomeWrite) {
    // Above stdin, stdout and stderr, which the handler's side replaces.
    const int report = fcntl(pipeWrite, F_DUPFD_CLOEXEC, 3);
    const int outcome = fcntl(outcomeWrite, F_DUPFD_CLOEXEC, 3);
    if (report < 0 || outcome < 0) _exit(127);
    setsid();
    const pid_t watcher = fork();
    if (watcher == 0) watchHandler(launch, report, outcome);
    if (watcher < 0) reportFailure(report, errno);
    _exit(0);
}

// The end of the latest hand-over's outcome pipe that this thread reads,
// and what it has read from it.
struct Watch {
    std::uint64_t attempt = 0;
    FileDescriptor outcome;
    HandlerOutcome known;
};
thread_local Watch latestWatch;

bool start(const Launch& launch, FileDescriptor& outcomeRead) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    FileDescriptor readEnd(pipeFds[0]);
    FileDescriptor writeEnd(pipeFds[1]);
    int outcomeFds[2];
    if (pipe2(outcomeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    FileDescriptor outcomeReadEnd(outcomeFds[0]);
    FileDescriptor outcomeWriteEnd(outcomeFds[1]);
    // The watcher writes its one status at once, whatever the flags.
    fcntl(outcomeWriteEnd.get(), F_SETFL, 0);
    const pid_t child = fork();
    // The child never returns here: it ends with _exit, which runs no
    // destructors.
    if (child == 0) detachAndStart(launch, writeEnd.get(), outcomeWriteEnd.get());
    writeEnd.reset();
    outcomeWriteEnd.reset();
    if (child < 0) return false;
    // Fails with ECHILD where SIGCHLD is ignored and the child was reaped
    // already; either way no zombie remains.
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(readEnd.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    // End of file: the exec closed the pipe; the handler is running.
    if (got != 0) return false;
    outcomeRead = std::move(outcomeReadEnd);
    return true;
}

thread_local HandOvers handOvers;

bool tryToOpen(std::string_view target, FileDescriptor& outcomeRead) noexcept;

}  // namespace

bool openWithDefaultHandler(std::string_view target) noexcept {
    FileDescriptor outcome;
    const bool started = tryToOpen(target, outcome);
    ++handOvers.attempts;
    handOvers.latestStarted = started;
    latestWatch.attempt = handOvers.attempts;
    latestWatch.outcome = std::move(outcome);
    latestWatch.known = started ? HandlerOutcome{HandlerState::Running, 0} : HandlerOutcome{};
    return started;
}

HandOvers handOversSoFar() noexcept {
    return handOvers;
}

HandlerOutcome handlerOutcome(std::uint64_t attempt) noexcept {
    if (attempt == 0 || attempt != latestWatch.attempt) return {};
    if (latestWatch.known.state != HandlerState::Running || !latestWatch.outcome)
        return latestWatch.known;
    int status = 0;
    ssize_t got;
    do {
        got = read(latestWatch.outcome.get(), &status, sizeof status);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && errno == EAGAIN) return latestWatch.known;  // still running
    if (got == static_cast<ssize_t>(sizeof status)) {
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            latestWatch.known = {HandlerState::Succeeded, 0};
        else
            latestWatch.known = {HandlerState::Failed,
                                 WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
    } else {
        // The watcher went without a word: how the handler ended is unknown.
        latestWatch.known = {};
    }
    latestWatch.outcome.reset();
    return latestWatch.known;
}

namespace {

bool tryToOpen(std::string_view target, FileDescriptor& outcomeRead) noexcept {
    if (target.empty() || target.find('\0') != std::string_view::npos) return false;
    try {
        Launch launch;
        launch.program = findOnPath(kHandler);
        if (launch.program.empty()) return false;
        launch.target.assign(target);
        launch.argv = {kHandler, launch.target.data(), nullptr};
        launch.argvThroughSh = {kShell, launch.program.data(), launch.target.data(), nullptr};
        const long openMax = sysconf(_SC_OPEN_MAX);
        launch.highestDescriptor =
            openMax > 0 && openMax < INT_MAX ? static_cast<int>(openMax) : 65536;
        return start(launch, outcomeRead);
    } catch (...) {
        return false;
    }
}

}  // namespace

}  // namespace tlvx::platform::shell
