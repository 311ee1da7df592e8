#include "platform/process/interruption.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/descriptors/file_descriptor.h"

namespace tlvx::platform::interruption {
namespace {

constexpr std::array<int, 4> kSignals = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

struct Entry {
    PathGuard::Kind kind;
    std::filesystem::path path;
};

struct Registry {
    std::mutex mutex;
    bool interrupted = false;
    std::uint64_t nextId = 1;
    std::map<std::uint64_t, Entry> entries;
};

// Never destroyed: the removal thread may still use it while exit runs.
Registry& registry() {
    static Registry* const r = new Registry;
    return *r;
}

int wakePipe[2] = {-1, -1};
volatile sig_atomic_t pendingSignal = 0;

extern "C" void onSignal(int sig) {
    const int savedErrno = errno;
    if (pendingSignal == 0) pendingSignal = sig;
    const auto byte = static_cast<unsigned char>(sig);
    // Non-blocking: a burst of signals never blocks the handler.
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    errno = savedErrno;
}

// A folder is first renamed, so that nothing made later under its old name
// can land in it while its content goes.
void removeFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::path doomed = folder;
    doomed += ".gone";
    if (::rename(folder.c_str(), doomed.c_str()) != 0) doomed = folder;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::filesystem::remove_all(doomed, ec);
        if (!std::filesystem::exists(std::filesystem::symlink_status(doomed, ec))) break;
    }
}

void removeGuardedPaths() {
    Registry& r = registry();
    // Held to the end: the process ends right after, and nothing new may be
    // made meanwhile.
    r.mutex.lock();
    r.interrupted = true;
    for (const auto& [id, entry] : r.entries) {
        if (entry.kind == PathGuard::Kind::Folder)
            removeFolder(entry.path);
        else
            ::unlink(entry.path.c_str());
    }
}

void* removalThread(void*) {
    unsigned char byte = 0;
    for (;;) {
        const ssize_t n = ::read(wakePipe[0], &byte, 1);
        if (n == 1) break;
        if (n < 0 && errno == EINTR) continue;
        return nullptr;  // the pipe broke: nothing to wait for
    }
    const int sig = byte;
    removeGuardedPaths();
    // The signal's own way to end the process, with its usual status.
    ::signal(sig, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);
}

}  // namespace

void removeGuardedPathsOnSignals() {
    static bool installed = false;
    if (installed) return;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return;
    // Held until the thread runs; the pipe then lives as long as the process.
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    ::fcntl(writeEnd.get(), F_SETFL, O_NONBLOCK);
    wakePipe[0] = readEnd.get();
    wakePipe[1] = writeEnd.get();
    // The thread starts with every signal blocked, so that the handlers run
    // on the other threads, and keeps that mask.
    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    pthread_t thread;
    const bool started = ::pthread_create(&thread, nullptr, removalThread, nullptr) == 0;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!started) {
        wakePipe[0] = wakePipe[1] = -1;
        return;
    }
    readEnd.release();
    writeEnd.release();
    ::pthread_detach(thread);
    installed = true;
    for (const int sig : kSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}

bool interrupted() {
    return pendingSignal != 0;
}

void awaitInterruptionEnd() {
    if (!interrupted()) return;
    for (;;) ::pause();
}

PathGuard::PathGuard(Kind kind, const Create& create) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    if (r.interrupted || interrupted()) return;
    auto made = create();
    if (!made) return;
    id_ = r.nextId++;
    path_ = *made;
    r.entries.emplace(id_, Entry{kind, std::move(*made)});
}

PathGuard::~PathGuard() {
    release();
}

PathGuard::PathGuard(PathGuard&& other) noexcept
    : id_(std::exchange(other.id_, 0)), path_(std::move(other.path_)) {}

PathGuard& PathGuard::operator=(PathGuard&& other) noexcept {
    if (this != &other) {
        release();
        id_ = std::exchange(other.id_, 0);
        path_ = std::move(other.path_);
    }
    return *this;
}

void PathGuard::release() {
    if (id_ == 0) return;
    Registry& r = registry();
    {
        const std::lock_guard lock(r.mutex);
        r.entries.erase(id_);
    }
    id_ = 0;
}

}  // namespace tlvx::platform::interruption
