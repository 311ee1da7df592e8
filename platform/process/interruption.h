#pragma once
// Nothing of the process's scratch is left behind when it is interrupted:
// once a program asks for it, SIGINT, SIGTERM, SIGHUP and SIGPIPE (output
// into a pipe whose reader went away) remove every path guarded below and
// then end the process by the same signal, so that its exit status is the
// one the signal gives anyway. The removal runs on a thread of its own that
// the signal handler wakes through a pipe; the handler itself only writes
// one byte.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace tlvx::platform::interruption {

// Installs the handlers and starts the removal thread. Call once, early in
// main, before other threads start. A signal the process was started with
// ignored stays ignored.
void removeGuardedPathsOnSignals();

// True once one of those signals came: the process is about to end by it.
bool interrupted();

// When a signal came, waits until the removal ends the process by it, so
// that a program about to return from main does not end with another
// status. Returns at once otherwise.
void awaitInterruptionEnd();

// A path (a file, or a folder with its content) that is removed should the
// process be interrupted while the guard lives. The path is made by
// `create` under the guard's lock, so that no removal can pass between the
// making and the guarding; after an interruption nothing new is made.
class PathGuard {
public:
    enum class Kind { File, Folder };
    using Create = std::function<std::optional<std::filesystem::path>()>;

    PathGuard() = default;
    // Runs `create` unless the process was interrupted; ok() tells whether a
    // path was made and is guarded.
    PathGuard(Kind kind, const Create& create);
    // Stops guarding; removes nothing.
    ~PathGuard();
    PathGuard(PathGuard&& other) noexcept;
    PathGuard& operator=(PathGuard&& other) noexcept;
    PathGuard(const PathGuard&) = delete;
    PathGuard& operator=(const PathGuard&) = delete;

    bool ok() const { return id_ != 0; }
    const std::filesystem::path& path() const { return path_; }
    // Stops guarding now (the path was renamed or removed by its owner).
    void release();

private:
    std::uint64_t id_ = 0;
    std::filesystem::path path_;
};

}  // namespace tlvx::platform::interruption
