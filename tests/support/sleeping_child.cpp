#include "tests/support/sleeping_child.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace tlvx::test {

SleepingChild::SleepingChild(const std::filesystem::path& folder, const std::string& name) {
    const std::filesystem::path program = folder / name;
    if (!std::filesystem::exists(program)) std::filesystem::copy_file("/bin/sleep", program);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = 0;
}

SleepingChild::~SleepingChild() {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

int SleepingChild::endingSignal() {
    for (int i = 0; i < 500 && pid_ > 0 && !reaped_; ++i) {
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

bool SleepingChild::stillRuns() {
    int status = 0;
    return pid_ > 0 && !reaped_ && ::waitpid(pid_, &status, WNOHANG) == 0;
}

std::string uniqueTag(const std::filesystem::path& tempFolder) {
    const std::string name = tempFolder.filename();
    return name.substr(name.rfind('-') + 1);
}

}  // namespace tlvx::test
