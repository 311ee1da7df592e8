#include "platform/shell/processes.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/sleeping_child.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
namespace processes = tlvx::platform::processes;
using processes::Process;

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
    const std::string tag = tlvx::test::uniqueTag(dir.path());
    tlvx::test::SleepingChild first(dir.path(), "TlvxNapper" + tag);
    tlvx::test::SleepingChild second(dir.path(), "TlvxNapper" + tag);
    tlvx::test::SleepingChild other(dir.path(), "TlvxNapper" + tag + "x");
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
