#pragma once
// The desktop's shell: what Windows does with ShellExecute on a URL, a
// mailto: address, a document or a program is done here by the desktop's
// default handler, xdg-open.

#include <cstdint>
#include <string_view>

namespace tlvx::platform::shell {

// Hands `target` (UTF-8, passed as the handler's one argument, unchanged)
// to the first xdg-open on PATH and returns at once: the handler runs
// detached in a session of its own, with stdin, stdout and stderr on
// /dev/null and no other descriptor of ours, is never waited for and never
// left as a zombie of this process. True when the handler was started; an
// empty target, one holding a NUL, or no xdg-open on PATH start nothing.
bool openWithDefaultHandler(std::string_view target) noexcept;

// The hand-overs this thread has tried so far and whether the latest one
// started its handler: a caller of a service that hands a target over and
// tells nothing (the component library's ExecCmd) learns the outcome here.
struct HandOvers {
    std::uint64_t attempts = 0;
    bool latestStarted = false;
};
HandOvers handOversSoFar() noexcept;

// How the handler of a started hand-over has ended: xdg-open ends with a
// non-zero status when it found no program for the target (3) or that
// program failed (4).
enum class HandlerState { Unknown, Running, Succeeded, Failed };
struct HandlerOutcome {
    HandlerState state = HandlerState::Unknown;
    int exitStatus = 0;  // for Failed: the handler's exit status, 128 + signal when killed
};
// What this thread knows so far of hand-over number `attempt` (as
// handOversSoFar counts them); never waits. Only the latest hand-over is
// watched: an earlier one, or one that did not start, is Unknown.
HandlerOutcome handlerOutcome(std::uint64_t attempt) noexcept;

}  // namespace tlvx::platform::shell
