#include "platform/processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace processes = tlvx::platform::processes;
using processes::Process;

// A child running a copy of sleep under a name of our choosing, ended and
// reaped when the object goes if nobody ended it before.
class NamedSleeper {
public:
    NamedSleeper(const fs::path& folder, const std::string& name) {
        const fs::path program = folder / name;
        if (!fs::exists(program)) fs::copy_file("/bin/sleep", program);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("30"), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = 0;
    }
    ~NamedSleeper() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    // The signal that ended the child, waiting up to a few seconds for it;
    // 0 while it still runs.
    int endingSignal() {
        for (int i = 0; i < 500 && !reaped_; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return signal_;
    }
    bool stillRuns() {
        int status = 0;
        return !reaped_ && ::waitpid(pid_, &status, WNOHANG) == 0;
    }

private:
    pid_t pid_ = 0;
    bool reaped_ = false;
    int signal_ = 0;
};

// A text no other program's name ends with: the test folder's own suffix.
std::string uniqueTag(const tlvx::test::TempDir& dir) {
    const std::string name = dir.path().filename();
    return name.substr(name.rfind('-') + 1);
}

}  // namespace

TEST(Processes, MatchTheTailOfTheNameWithoutRegardToCase) {
    const std::vector<Process> list = {
        {10, "Notepad.EXE"}, {11, "notepad.exe"},           {12, "mynotepad.exe"}, {13, "notepad"},
        {14, "exe"},         {15, "\xC3\x89T\xC3\x89.bin"}, {99, "notepad.exe"},
    };
    EXPECT_EQ(processes::processesEndingWith(list, u"NOTEPAD.exe", 99),
              (std::vector<pid_t>{10, 11, 12}))
        << "every tail match, never the caller";
    EXPECT_EQ(processes::processesEndingWith(list, u"notepad", 0), (std::vector<pid_t>{13}))
        << "a name without its extension matches nothing that ends in .exe";
    EXPECT_EQ(processes::processesEndingWith(list, u"D.EXE", 0),
              (std::vector<pid_t>{10, 11, 12, 99}));
    EXPECT_EQ(processes::processesEndingWith(list, u"x.exe", 0), std::vector<pid_t>{});
    EXPECT_EQ(processes::processesEndingWith(list, u"\u00E9t\u00E9.BIN", 0),
              std::vector<pid_t>{15});
    EXPECT_EQ(processes::processesEndingWith(list, u"", 0), std::vector<pid_t>{});
    EXPECT_EQ(processes::processesEndingWith(list, u"longer than exe", 0), std::vector<pid_t>{});
}

TEST(Processes, TheListHoldsThisProcessByItsProgramName) {
    const auto list = processes::runningProcesses();
    const std::string self = fs::read_symlink("/proc/self/exe").filename();
    bool found = false;
    for (const Process& process : list) {
        if (process.pid == getpid()) {
            found = true;
            EXPECT_EQ(process.executableName, self);
        }
        EXPECT_FALSE(process.executableName.empty());
    }
    EXPECT_TRUE(found);
}

TEST(Processes, EndsEveryMatchingProcessAndNoOther) {
    tlvx::test::TempDir dir;
    const std::string tag = uniqueTag(dir);
    NamedSleeper first(dir.path(), "TlvxNapper" + tag);
    NamedSleeper second(dir.path(), "TlvxNapper" + tag);
    NamedSleeper other(dir.path(), "TlvxNapper" + tag + "x");
    ASSERT_GT(first.pid(), 0);
    ASSERT_GT(other.pid(), 0);

    EXPECT_EQ(processes::endProcessesEndingWith(u"napper" + std::u16string(tag.begin(), tag.end())),
              2u);
    EXPECT_EQ(first.endingSignal(), SIGKILL);
    EXPECT_EQ(second.endingSignal(), SIGKILL);
    EXPECT_TRUE(other.stillRuns());
    EXPECT_EQ(processes::endProcessesEndingWith(u""), 0u);
    EXPECT_TRUE(other.stillRuns());
}
