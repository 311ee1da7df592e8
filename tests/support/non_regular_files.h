#pragma once
// Names that are no regular files, for the tests of every reader and writer:
// a FIFO, a device, a folder, a socket and a link that names nothing. A
// reader that opens a FIFO the ordinary way waits for a writer for ever, and
// one that reads /dev/zero whole never ends, so such checks run in a child
// process that an alarm ends: a regression then fails instead of hanging or
// killing the test program.

#include <array>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace tlvx::test {

enum class NonRegularKind { Fifo, Device, Folder, Socket, DanglingLink };

inline constexpr std::array<NonRegularKind, 5> kNonRegularKinds = {
    NonRegularKind::Fifo, NonRegularKind::Device, NonRegularKind::Folder, NonRegularKind::Socket,
    NonRegularKind::DanglingLink};

// Makes `path` a thing of that kind: a FIFO, a device that reads like
// /dev/zero (a node of its own where the process may make one, else a link
// to /dev/zero), a folder, a socket, a link to a name that does not exist.
// Throws when it cannot.
void makeNonRegular(NonRegularKind kind, const std::filesystem::path& path);
// True while `path` is still what makeNonRegular made of it.
bool isStillNonRegular(NonRegularKind kind, const std::filesystem::path& path);
// "Fifo", "Device", ... for the names of parameterized tests.
std::string kindName(NonRegularKind kind);
inline void PrintTo(NonRegularKind kind, std::ostream* out) {
    *out << kindName(kind);
}

// Runs `check` in a child process with an alarm of `seconds`; "passed", or
// what went wrong: "failed", "hung (ended by the alarm)", "crashed (signal N)".
std::string runGuarded(const std::function<bool()>& check, unsigned seconds = 5);

}  // namespace tlvx::test
