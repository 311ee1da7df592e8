#pragma once
// A child process that runs a copy of sleep under a name of the test's
// choosing, for tests that look processes up by name and end them. It is
// ended and reaped with the object if nobody ended it before.

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace tlvx::test {

class SleepingChild {
public:
    // Copies /bin/sleep to `folder`/`name` (once) and starts it.
    SleepingChild(const std::filesystem::path& folder, const std::string& name);
    ~SleepingChild();
    SleepingChild(const SleepingChild&) = delete;
    SleepingChild& operator=(const SleepingChild&) = delete;

    // 0 when the child could not be started.
    pid_t pid() const { return pid_; }
    // The signal that ended the child, waiting a few seconds for it; 0 while
    // it still runs, -1 when it ended without a signal.
    int endingSignal();
    bool stillRuns();

private:
    pid_t pid_ = 0;
    bool reaped_ = false;
    int signal_ = 0;
};

// A text that no other program's name ends with: the random part of the
// name of a test's temporary folder.
std::string uniqueTag(const std::filesystem::path& tempFolder);

}  // namespace tlvx::test
