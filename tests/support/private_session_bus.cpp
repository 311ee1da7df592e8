#include "tests/support/private_session_bus.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <vector>

extern char** environ;

namespace tlvx::test {

namespace {

constexpr int kStartTimeoutMs = 30000;

void writeConfig(const std::filesystem::path& file, const std::filesystem::path& socketFolder) {
    std::ofstream(file) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                           "Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig>\n"
                           "  <type>session</type>\n"
                           "  <listen>unix:dir="
                        << socketFolder.string()
                        << "</listen>\n"
                           "  <auth>EXTERNAL</auth>\n"
                           "  <policy context=\"default\">\n"
                           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "    <allow eavesdrop=\"true\"/>\n"
                           "    <allow own=\"*\"/>\n"
                           "  </policy>\n"
                           "</busconfig>\n";
}

// The first line the daemon writes to `fd`, waiting at most the timeout.
std::string firstLine(int fd) {
    std::string line;
    char c = 0;
    pollfd ready{fd, POLLIN, 0};
    while (poll(&ready, 1, kStartTimeoutMs) == 1 && read(fd, &c, 1) == 1 && c != '\n') line += c;
    return c == '\n' ? line : std::string();
}

}  // namespace

PrivateSessionBus::PrivateSessionBus(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "socket");
    writeConfig(folder / "bus.conf", folder / "socket");
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The read end may be descriptor 3 itself: closed first.
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
    std::string config = "--config-file=" + (folder / "bus.conf").string();
    std::vector<std::string> args{"dbus-daemon", config, "--nofork", "--nopidfile",
                                  "--print-address=3"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned =
        posix_spawnp(&daemon_, "dbus-daemon", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        daemon_ = -1;
    } else {
        address_ = firstLine(pipeFds[0]);
    }
    close(pipeFds[0]);
}

PrivateSessionBus::~PrivateSessionBus() {
    if (daemon_ <= 0) return;
    kill(daemon_, SIGTERM);
    waitpid(daemon_, nullptr, 0);
}

}  // namespace tlvx::test
