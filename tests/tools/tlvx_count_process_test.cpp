// The real tlvx-count as a script meets it: a pipe closed early, signals and
// kills at any moment, a full temporary folder, a missing component module.
// Whatever happens, it leaves no scratch behind, and it tells a failure.

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using tlvx::test::TempDir;

namespace {

const std::string kExamples = TLVX_EXAMPLES_DIR;

using Environment = std::vector<std::pair<std::string, std::string>>;

struct Launch {
    Launch(std::vector<std::string> arguments, Environment environment = {}, int stdoutFd = -1,
           rlim_t limit = RLIM_INFINITY)
        : args(std::move(arguments)),
          env(std::move(environment)),
          out(stdoutFd),
          fileSizeLimit(limit) {}

    std::vector<std::string> args;
    Environment env;
    int out;  // the child's stdout; -1: a file in the test's folder
    rlim_t fileSizeLimit;
};

struct Finished {
    int status = 0;  // as waitpid gives it
    std::string out;
    std::string err;
};

class CountProcessTest : public ::testing::Test {
protected:
    // Starts tlvx-count with its own TMPDIR; stdout and stderr go to files
    // unless `out` says otherwise.
    pid_t start(const Launch& launch) {
        const pid_t child = ::fork();
        if (child != 0) return child;
        const int err =
            ::open((files / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int out = launch.out >= 0 ? launch.out
                                        : ::open((files / "out").c_str(),
                                                 O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::setenv("TMPDIR", tmp.path().c_str(), 1);
        for (const auto& [name, value] : launch.env) ::setenv(name.c_str(), value.c_str(), 1);
        if (launch.fileSizeLimit != RLIM_INFINITY) {
            // As on a full disk: writes past the limit fail, nothing is
            // killed for trying.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{launch.fileSizeLimit, launch.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::alarm(120);  // outlives exec: a count that hangs fails the test
        std::vector<char*> argv{const_cast<char*>(TLVX_COUNT_EXE)};
        for (const auto& a : launch.args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TLVX_COUNT_EXE, argv.data());
        ::_exit(127);
    }

    Finished finish(pid_t child) {
        Finished f;
        ::waitpid(child, &f.status, 0);
        f.out = TempDir::read(files / "out");
        f.err = TempDir::read(files / "err");
        return f;
    }

    Finished run(const Launch& launch) { return finish(start(launch)); }

    // What is left in the temporary folder.
    std::vector<std::string> tmpContent() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(tmp.path()))
            names.push_back(e.path().filename());
        return names;
    }

    // Hidden files under `root`: half-written records.
    static std::vector<std::string> hiddenFiles(const fs::path& root) {
        std::vector<std::string> names;
        if (!fs::exists(root)) return names;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.path().filename().string().starts_with(".")) names.push_back(e.path());
        return names;
    }

    // Waits until the count has made its private folder (a name that was
    // not in the temporary folder `before`), so that a signal meets it at
    // work; false when it never did.
    bool waitUntilAtWork(const std::vector<std::string>& before = {}) const {
        for (int i = 0; i < 2000; ++i) {
            for (const auto& name : tmpContent())
                if (std::find(before.begin(), before.end(), name) == before.end()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    // A group of `positions` lines naming the example project over and over.
    fs::path repeatedGroup(int positions, const std::string& name = "Many.vbg") const {
        std::string group = "VBGROUP 5.0\r\n";
        for (int i = 0; i < positions; ++i) group += "Project=" + kExamples + "/Till/Till.vbp\r\n";
        return projects.write(name, group);
    }

    TempDir tmp, files, projects;
};

bool endedBy(int status, int sig) {
    return WIFSIGNALED(status) && WTERMSIG(status) == sig;
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

std::string describe(int status) {
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "exit " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

// `tlvx-count GROUP | head -1`: the reader goes, the count ends as a
// closed pipe ends a program, and its working copies go with it.
TEST_F(CountProcessTest, APipeClosedEarlyEndsTheCountWithoutLeftovers) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    const pid_t child = start({{repeatedGroup(400).string()}, {}, pipe[1]});
    ::close(pipe[1]);
    char first[16];
    ASSERT_GT(::read(pipe[0], first, sizeof first), 0);
    ::close(pipe[0]);
    const auto done = finish(child);
    EXPECT_TRUE(endedBy(done.status, SIGPIPE)) << describe(done.status) << done.err;
    EXPECT_TRUE(tmpContent().empty());
}

// Ctrl+C, SIGTERM and SIGHUP at any moment of a recording run: the count
// ends by the signal, and neither its working copies nor a half-written
// record stay.
TEST_F(CountProcessTest, SignalsAtAnyMomentLeaveNothingBehind) {
    const auto group = repeatedGroup(60).string();
    const auto history = projects / "history";
    std::mt19937 random(20240611);
    for (int round = 0; round < 6; ++round) {
        const int sig = std::vector<int>{SIGINT, SIGTERM, SIGHUP}[round % 3];
        const pid_t child = start({{"--record", "--history", history.string(), group}});
        ASSERT_TRUE(waitUntilAtWork()) << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400));
        ::kill(child, sig);
        const auto done = finish(child);
        const bool finishedFirst = WIFEXITED(done.status) && WEXITSTATUS(done.status) == 0;
        EXPECT_TRUE(endedBy(done.status, sig) || finishedFirst)
            << round << ": " << describe(done.status) << done.err;
        EXPECT_TRUE(tmpContent().empty()) << round;
        EXPECT_TRUE(hiddenFiles(history).empty()) << round;
    }
}

// kill -9 leaves what it leaves; the next count removes the working folders
// of counts that no longer run, and the next record in a folder the record
// files a killed count left half-written long ago.
TEST_F(CountProcessTest, WhatKilledCountsLeftIsClearedByTheNext) {
    const auto group = repeatedGroup(60).string();
    // Long enough that no kill comes after the count's own end, whatever
    // the machine's speed.
    const auto killedGroup = repeatedGroup(3000, "Killed.vbg").string();
    const auto history = projects / "history";
    std::mt19937 random(7);
    for (int round = 0; round < 6; ++round) {
        const auto before = tmpContent();
        const pid_t child = start({{"--record", "--history", history.string(), killedGroup}});
        ASSERT_TRUE(waitUntilAtWork(before)) << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400));
        ::kill(child, SIGKILL);
        const auto done = finish(child);
        ASSERT_TRUE(endedBy(done.status, SIGKILL)) << round << ": " << describe(done.status);
    }
    EXPECT_FALSE(tmpContent().empty()) << "a kill leaves the working folder";
    // A folder of a count that runs is never touched.
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    const pid_t running = start({{repeatedGroup(400, "Long.vbg").string()}, {}, pipe[1]});
    ::close(pipe[1]);
    char first[16];
    ASSERT_GT(::read(pipe[0], first, sizeof first), 0);  // it is at work
    const auto before = tmpContent();
    // Half-written records count as abandoned once they lay unchanged a while.
    for (const auto& file : hiddenFiles(history)) {
        const timespec longAgo[2] = {{::time(nullptr) - 600, 0}, {::time(nullptr) - 600, 0}};
        ::utimensat(AT_FDCWD, file.c_str(), longAgo, 0);
    }
    const auto next = run({{"--record", "--history", history.string(), group}});
    EXPECT_TRUE(exitedWith(next.status, 0)) << describe(next.status) << next.err;
    const auto after = tmpContent();
    ASSERT_EQ(after.size(), 1u) << "only the running count's folder stays";
    EXPECT_NE(std::find(before.begin(), before.end(), after[0]), before.end());
    EXPECT_TRUE(hiddenFiles(history).empty());
    ::close(pipe[0]);
    finish(running);
    EXPECT_TRUE(tmpContent().empty());
}

// A temporary folder that is full: the project whose working copy cannot be
// written is told on stderr, with status 1, after what could be counted,
// and it is not recorded.
TEST_F(CountProcessTest, AFullTemporaryFolderIsToldNotCountedAsEmpty) {
    projects.write("small.vbp", "Type=Exe\r\nName=\"Small\"\r\nMajorVer=1\r\n");
    std::string big = "Type=Exe\r\nName=\"Big\"\r\nMajorVer=2\r\n";
    while (big.size() < 3000)
        big += "Reference=*\\G{00000000-0000-0000-0000-000000000000}#1.0#0#\r\n";
    projects.write("big.vbp", big);
    const auto group =
        projects.write("g.vbg", "VBGROUP 5.0\r\nProject=big.vbp\r\nProject=small.vbp\r\n");
    const auto history = projects / "history";
    const auto done =
        run({{"--json", "--record", "--history", history.string(), group.string()}, {}, -1, 1000});
    EXPECT_TRUE(exitedWith(done.status, 1)) << describe(done.status) << done.err;
    const std::string prefix = "tlvx-count: " + group.string() + ": position 1 (big.vbp)";
    EXPECT_EQ(done.err.rfind(prefix + " could not be copied to the working folder ", 0), 0u)
        << done.err;
    EXPECT_NE(done.err.find(": File too large\n"), std::string::npos) << done.err;
    EXPECT_EQ(std::count(done.err.begin(), done.err.end(), '\n'), 1);
    EXPECT_EQ(done.out.rfind("{\"projects\":[\n{\"position\":2,", 0), 0u) << done.out;
    EXPECT_NE(done.out.find("\"name\":\"Small\""), std::string::npos);
    EXPECT_EQ(done.out.find("\"Big\""), std::string::npos);
    std::vector<std::string> recorded;
    for (const auto& e : fs::recursive_directory_iterator(history))
        recorded.push_back(fs::relative(e.path(), history));
    EXPECT_EQ(recorded, (std::vector<std::string>{"Small", "Small/1.."}));
    EXPECT_TRUE(tmpContent().empty());
}

// The same on a real file system that is full, where the test may mount one.
TEST_F(CountProcessTest, AFullFileSystemAsTheTemporaryFolder) {
    const fs::path mountPoint = files / "tiny";
    fs::create_directory(mountPoint);
    if (::mount("tlvx-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mountPoint};
    // Filled up but for a few bytes.
    {
        const int fd = ::open((mountPoint / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }
    const auto done = run({{kExamples + "/Shop.vbg"}, {{"TMPDIR", mountPoint.string()}}});
    if (exitedWith(done.status, 2)) {
        // Not even the private folder could be made: told as such.
        EXPECT_TRUE(done.out.empty());
        EXPECT_NE(done.err.find("cannot create a temporary folder"), std::string::npos);
    } else {
        EXPECT_TRUE(exitedWith(done.status, 1)) << describe(done.status) << done.err;
        EXPECT_NE(done.err.find("could not be copied to the working folder"), std::string::npos)
            << done.err;
        EXPECT_NE(done.err.find("No space left on device"), std::string::npos) << done.err;
    }
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(mountPoint)) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"filler"});
}

// Nothing can be counted without the component module: one line on stderr,
// status 2, and nothing on stdout, not even the start of a JSON document.
TEST_F(CountProcessTest, AMissingComponentModuleIsOneLineAndNothingOnStdout) {
    TempDir empty;
    for (const char* format : {"--json", "--csv"}) {
        const auto done = run(
            {{format, kExamples + "/Shop.vbg"}, {{"TLVX_COMPONENT_DIR", empty.path().string()}}});
        EXPECT_TRUE(exitedWith(done.status, 2)) << format << " " << describe(done.status);
        EXPECT_TRUE(done.out.empty()) << done.out;
        EXPECT_EQ(done.err, "tlvx-count: the component library Morcel_TLVX cannot be loaded\n");
        EXPECT_TRUE(tmpContent().empty());
    }
}

// A count loads what it uses when it first uses it: never Qt, the collation
// library only for a name outside ASCII, and a registry store that nobody
// wrote to is neither made nor filled with the system's databases (which
// would load iconv's converters). The dynamic loader tells what it loads.
TEST_F(CountProcessTest, LoadsOnlyWhatTheCountUses) {
    const auto accented = projects.write(
        "Accented.vbp",
        "Type=Exe\r\nName=\"A\"\r\nModule=x; \xC9t\xE9.bas\r\nModule=y; ete.bas\r\n");
    struct Case {
        std::string project;
        bool collation;
    };
    for (const Case& c : {Case{kExamples + "/Shop.vbg", false}, Case{accented.string(), true}}) {
        const fs::path store = files / "registry.sqlite";
        const auto done =
            run({{c.project}, {{"LD_DEBUG", "files"}, {"TLVX_REGISTRY", store.string()}}});
        EXPECT_TRUE(exitedWith(done.status, 0)) << describe(done.status) << done.err;
        EXPECT_EQ(done.err.find("libQt"), std::string::npos) << c.project;
        EXPECT_EQ(done.err.find("gconv"), std::string::npos) << c.project;
        EXPECT_EQ(done.err.find("libicui18n") != std::string::npos, c.collation) << c.project;
        EXPECT_FALSE(fs::exists(store)) << c.project;
    }
}
