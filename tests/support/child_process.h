#pragma once
// Runs a check in a forked child process, as another process using the same
// files would.

#include <sys/wait.h>
#include <unistd.h>

namespace tlvx::test {

// True when `work` returned true in the child.
template <typename Work>
bool inChildProcess(Work work) {
    const pid_t pid = fork();
    if (pid == 0) _exit(work() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tlvx::test
