#include "platform/shell/launcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

using tlvx::platform::shell::openWithDefaultHandler;
using tlvx::test::TempDir;
namespace fs = std::filesystem;

// Puts a folder first on PATH for the life of the object.
class PathFirst {
public:
    explicit PathFirst(const fs::path& dir) {
        const char* old = std::getenv("PATH");
        hadPath_ = old != nullptr;
        if (old) previous_ = old;
        const std::string path = hadPath_ ? dir.string() + ":" + previous_ : dir.string();
        setenv("PATH", path.c_str(), 1);
    }
    ~PathFirst() {
        if (hadPath_) {
            setenv("PATH", previous_.c_str(), 1);
        } else {
            unsetenv("PATH");
        }
    }

private:
    bool hadPath_ = false;
    std::string previous_;
};

// A stand-in for xdg-open in its own folder, put first on PATH: it records
// its arguments (each ended by NUL), what its stdin is, its /proc stat
// line, and then sleeps 5 s, as a browser that stays open would.
class RecordingHandler {
public:
    explicit RecordingHandler(bool withInterpreterLine = true) : onPath_(dir_.path()) {
        const std::string record = (dir_ / "record").string();
        std::string script = withInterpreterLine ? "#!/bin/sh\n" : "";
        script += "out='" + record + "'\n" +
                  "readlink /proc/$$/fd/0 > \"$out.stdin\"\n"
                  "cat /proc/$$/stat > \"$out.stat\"\n"
                  "printf '%s\\0' \"$@\" > \"$out.tmp\"\n"
                  "mv \"$out.tmp\" \"$out\"\n"
                  "sleep 60\n";
        const auto handler = dir_.write("xdg-open", script);
        fs::permissions(handler, fs::perms::owner_all);
    }

    // The arguments, once the stand-in wrote them (it runs detached, so
    // this waits a little); nothing when it never ran.
    std::optional<std::vector<std::string>> arguments(
        std::chrono::milliseconds patience = std::chrono::seconds(30)) const {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!fs::exists(dir_ / "record")) {
            if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::vector<std::string> args;
        const std::string bytes = TempDir::read(dir_ / "record");
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos;
             start = end + 1) {
            args.push_back(bytes.substr(start, end - start));
        }
        return args;
    }

    std::string recorded(std::string_view suffix) const {
        return TempDir::read(dir_ / ("record" + std::string(suffix)));
    }

private:
    TempDir dir_;
    PathFirst onPath_;
};

// Field `index` (1-based) of a /proc/<pid>/stat line; the command name in
// parentheses has no spaces here.
long statField(const std::string& stat, int index) {
    std::size_t pos = 0;
    for (int i = 1; i < index; ++i) pos = stat.find(' ', pos) + 1;
    return std::stol(stat.substr(pos));
}

TEST(OpenWithDefaultHandler, HandsTheTargetOverUnchanged) {
    const std::vector<std::string> targets = {
        "https://example.com/a b/?q=x&y='1'&z=\"2\"#frag",
        "mailto:someone@example.com?subject=Tallyvex - a VB6 line counter&body=Have a look",
        "/tmp/some folder/Report (final).txt",
        "--version",
        "ünïcode €",
    };
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        const RecordingHandler handler;
        ASSERT_TRUE(openWithDefaultHandler(target));
        const auto args = handler.arguments();
        ASSERT_TRUE(args.has_value()) << "the stand-in never ran";
        EXPECT_EQ(*args, std::vector<std::string>{target});
    }
}

TEST(OpenWithDefaultHandler, ReturnsAtOnceDetachedAndLeavesNoChild) {
    const RecordingHandler handler;
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(openWithDefaultHandler("https://example.com/"));
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_LT(took, std::chrono::seconds(30)) << "waited for the handler (it sleeps a minute)";
    ASSERT_TRUE(handler.arguments().has_value());

    // Neither the intermediate child nor the handler is ours to reap: no
    // zombie now, none later.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    EXPECT_EQ(handler.recorded(".stdin"), "/dev/null\n");
    const std::string stat = handler.recorded(".stat");
    EXPECT_NE(statField(stat, 4), getpid()) << "the handler's parent is this process";
    EXPECT_NE(statField(stat, 6), getsid(0)) << "the handler stayed in our session";
}

TEST(OpenWithDefaultHandler, KeepsNoneOfOurDescriptors) {
    const RecordingHandler handler;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);  // inheritable on purpose
    // One write end low and one high, on either side of whatever the
    // launcher keeps for itself meanwhile.
    const int high = fcntl(fds[1], F_DUPFD, 200);
    ASSERT_GE(high, 200);
    ASSERT_TRUE(openWithDefaultHandler("https://example.com/"));
    ASSERT_TRUE(handler.arguments().has_value());
    close(fds[1]);
    close(high);
    // The read end reaches end of file only when no process holds the
    // write end any more; the sleeping handler must not.
    pollfd readEnd{fds[0], POLLIN, 0};
    ASSERT_EQ(poll(&readEnd, 1, 2000), 1) << "the handler holds our pipe";
    char byte;
    EXPECT_EQ(read(fds[0], &byte, 1), 0);
    close(fds[0]);
}

TEST(OpenWithDefaultHandler, RunsAStandInWithoutInterpreterLineThroughSh) {
    const RecordingHandler handler(false);
    ASSERT_TRUE(openWithDefaultHandler("mailto:a@b.example"));
    const auto args = handler.arguments();
    ASSERT_TRUE(args.has_value());
    EXPECT_EQ(*args, std::vector<std::string>{"mailto:a@b.example"});
}

TEST(OpenWithDefaultHandler, StartsNothingWithoutTargetOrHandler) {
    {
        const RecordingHandler handler;
        EXPECT_FALSE(openWithDefaultHandler(""));
        EXPECT_FALSE(openWithDefaultHandler(std::string_view("a\0b", 3)));
        EXPECT_FALSE(handler.arguments(std::chrono::milliseconds(300)).has_value());
    }
    const TempDir empty;
    const char* old = std::getenv("PATH");
    const std::string previous = old ? old : "";
    setenv("PATH", empty.path().c_str(), 1);
    EXPECT_FALSE(openWithDefaultHandler("https://example.com/"));
    // Found but not executable: not a handler either.
    empty.write("xdg-open", "#!/bin/sh\n");
    EXPECT_FALSE(openWithDefaultHandler("https://example.com/"));
    setenv("PATH", previous.c_str(), 1);
}

TEST(OpenWithDefaultHandler, TellsAfterwardsWhetherTheLatestHandOverStarted) {
    using tlvx::platform::shell::handOversSoFar;
    const auto before = handOversSoFar();
    {
        const RecordingHandler handler;
        EXPECT_TRUE(openWithDefaultHandler("https://example.com/"));
        EXPECT_EQ(handOversSoFar().attempts, before.attempts + 1);
        EXPECT_TRUE(handOversSoFar().latestStarted);
        EXPECT_FALSE(openWithDefaultHandler(""));
        EXPECT_EQ(handOversSoFar().attempts, before.attempts + 2);
        EXPECT_FALSE(handOversSoFar().latestStarted);
    }
    // A handler that cannot be started: its interpreter is missing.
    const TempDir dir;
    const PathFirst onPath(dir.path());
    const auto broken = dir.write("xdg-open", "#!/nonexistent/interpreter\n");
    std::filesystem::permissions(broken, std::filesystem::perms::owner_all);
    EXPECT_FALSE(openWithDefaultHandler("https://example.com/"));
    EXPECT_EQ(handOversSoFar().attempts, before.attempts + 3);
    EXPECT_FALSE(handOversSoFar().latestStarted);
    // Each thread has its own account.
    std::thread([] { EXPECT_EQ(handOversSoFar().attempts, 0u); }).join();
}

// xdg-open ends with 3 when it finds no program for the target: the
// hand-over started, and the caller learns later that it came to nothing.
TEST(OpenWithDefaultHandler, TellsHowTheLatestHandlerEnded) {
    using tlvx::platform::shell::handlerOutcome;
    using tlvx::platform::shell::HandlerState;
    using tlvx::platform::shell::handOversSoFar;
    const auto settled = [](std::uint64_t attempt) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        auto outcome = handlerOutcome(attempt);
        while (outcome.state == HandlerState::Running &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            outcome = handlerOutcome(attempt);
        }
        return outcome;
    };
    const struct {
        const char* script;
        HandlerState state;
        int status;
    } cases[] = {
        {"#!/bin/sh\nexit 3\n", HandlerState::Failed, 3},
        {"#!/bin/sh\nexit 4\n", HandlerState::Failed, 4},
        {"#!/bin/sh\nexit 0\n", HandlerState::Succeeded, 0},
        {"#!/bin/sh\nkill -9 $$\n", HandlerState::Failed, 128 + 9},
    };
    for (const auto& c : cases) {
        const TempDir dir;
        const PathFirst onPath(dir.path());
        fs::permissions(dir.write("xdg-open", c.script), fs::perms::owner_all);
        ASSERT_TRUE(openWithDefaultHandler("https://example.com/")) << c.script;
        const auto outcome = settled(handOversSoFar().attempts);
        EXPECT_EQ(outcome.state, c.state) << c.script;
        EXPECT_EQ(outcome.exitStatus, c.status) << c.script;
        // Asked again, it says the same.
        EXPECT_EQ(handlerOutcome(handOversSoFar().attempts).state, c.state);
    }
    // A handler that stays (a browser) is running; once another hand-over
    // followed, the earlier one is no longer watched.
    {
        const RecordingHandler handler;
        ASSERT_TRUE(openWithDefaultHandler("https://example.com/"));
        const auto attempt = handOversSoFar().attempts;
        ASSERT_TRUE(handler.arguments().has_value());
        EXPECT_EQ(handlerOutcome(attempt).state, HandlerState::Running);
        EXPECT_FALSE(openWithDefaultHandler(""));
        EXPECT_EQ(handlerOutcome(attempt).state, HandlerState::Unknown);
        EXPECT_EQ(handlerOutcome(attempt + 1).state, HandlerState::Unknown);
    }
    // No child of ours is left to reap.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

}  // namespace
