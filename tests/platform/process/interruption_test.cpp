#include "platform/process/interruption.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process/leftovers.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
namespace interruption = tlvx::platform::interruption;
namespace leftovers = tlvx::platform::leftovers;
using tlvx::test::namesIn;
using tlvx::test::TempDir;

namespace {

// A child that guards a private folder in `dir` (and keeps filling it with
// scratch files, as a count does) and a file of its own in `dir`, tells the
// parent through `ready` and then goes on until a signal comes. `before`
// runs first in the child.
pid_t startGuardingChild(const fs::path& dir, int ready, void (*before)() = nullptr) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    ::alarm(30);  // a hang fails the test instead of blocking it
    if (before) before();
    interruption::removeGuardedPathsOnSignals();
    auto folder = leftovers::createMarkedFolder(dir, "work");
    auto file = leftovers::createMarkedFile(dir, "record");
    if (!folder.ok() || !file.fd) ::_exit(90);
    file.fd.reset();
    const char byte = 'r';
    (void)!::write(ready, &byte, 1);
    for (int i = 0;; ++i) {
        auto scratch = leftovers::createMarkedFile(folder.path(), "copy" + std::to_string(i));
        if (scratch.fd) {
            (void)!::write(scratch.fd.get(), "[Info]\r\n", 8);
            scratch.fd.reset();
            scratch.guard.release();  // left for the folder's removal
        }
        interruption::awaitInterruptionEnd();
        if (i % 64 == 63) ::usleep(1000);
    }
}

int waitFor(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

void waitUntilReady(int ready) {
    char byte = 0;
    ASSERT_EQ(::read(ready, &byte, 1), 1);
}

}  // namespace

// Ctrl+C, SIGTERM and SIGHUP remove what the process guards, however busy
// it is making more, and the process still ends by the signal.
TEST(Interruption, SignalsRemoveTheGuardedPathsAndEndTheProcessByThemselves) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        dir.write("keep.txt", "not guarded");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = startGuardingChild(dir.path(), ready[1]);
        ::close(ready[1]);
        waitUntilReady(ready[0]);
        ::close(ready[0]);
        ::usleep(20'000);  // let it make some files
        ::kill(child, sig);
        const int status = waitFor(child);
        ASSERT_TRUE(WIFSIGNALED(status)) << sig << " exit " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"keep.txt"}) << sig;
    }
}

// Output into a pipe nobody reads any more.
TEST(Interruption, AClosedOutputPipeRemovesThemToo) {
    TempDir dir;
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    ::close(out[0]);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(30);
        interruption::removeGuardedPathsOnSignals();
        auto folder = leftovers::createMarkedFolder(dir.path(), "work");
        if (!folder.ok()) ::_exit(90);
        (void)!::write(out[1], "x", 1);
        interruption::awaitInterruptionEnd();
        ::_exit(91);
    }
    ::close(out[1]);
    const int status = waitFor(child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGPIPE);
    EXPECT_TRUE(namesIn(dir.path()).empty());
}

// A process started with SIGHUP ignored (nohup) goes on ignoring it.
TEST(Interruption, AnIgnoredSignalStaysIgnored) {
    TempDir dir;
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(30);
        ::signal(SIGHUP, SIG_IGN);
        interruption::removeGuardedPathsOnSignals();
        auto folder = leftovers::createMarkedFolder(dir.path(), "work");
        ::raise(SIGHUP);
        ::usleep(50'000);
        interruption::awaitInterruptionEnd();
        ::_exit(folder.ok() && !interruption::interrupted() && fs::exists(folder.path()) ? 0 : 92);
    }
    const int status = waitFor(child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
