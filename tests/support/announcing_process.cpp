#include "tests/support/announcing_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tlvx::test {

namespace {

constexpr int kAnnouncementTimeoutMs = 30000;

// The first line written to `fd`, waiting at most the timeout for each
// character.
std::string firstLine(int fd) {
    std::string line;
    char c = 0;
    pollfd ready{fd, POLLIN, 0};
    while (poll(&ready, 1, kAnnouncementTimeoutMs) == 1 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return c == '\n' ? line : std::string();
}

}  // namespace

AnnouncingProcess::AnnouncingProcess(std::vector<std::string> args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The read end may be descriptor 3 itself: closed first.
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        pid_ = -1;
    } else {
        announcement_ = firstLine(pipeFds[0]);
    }
    close(pipeFds[0]);
}

AnnouncingProcess::~AnnouncingProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace tlvx::test
