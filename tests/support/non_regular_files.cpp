#include "tests/support/non_regular_files.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

namespace tlvx::test {
namespace fs = std::filesystem;

namespace {

void makeSocket(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = path.string();
    if (name.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long");
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    // The socket's name stays in the folder after the socket is closed.
    const int rc = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
    if (rc != 0) throw std::runtime_error("bind failed");
}

}  // namespace

void makeNonRegular(NonRegularKind kind, const fs::path& path) {
    switch (kind) {
        case NonRegularKind::Fifo:
            if (::mkfifo(path.c_str(), 0666) != 0) throw std::runtime_error("mkfifo failed");
            return;
        case NonRegularKind::Device:
            // A node of its own, so that a writer that wrongly replaced it
            // could never replace the system's /dev/zero. Without the right
            // to make one, a link does: then /dev cannot be written either.
            if (::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 5)) == 0) return;
            fs::create_symlink("/dev/zero", path);
            return;
        case NonRegularKind::Folder:
            fs::create_directory(path);
            return;
        case NonRegularKind::Socket:
            makeSocket(path);
            return;
        case NonRegularKind::DanglingLink:
            fs::create_symlink(path.filename().string() + ".nothing", path);
            return;
    }
}

bool isStillNonRegular(NonRegularKind kind, const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    switch (kind) {
        case NonRegularKind::Fifo:
            return fs::is_fifo(status);
        case NonRegularKind::Device:
            return fs::is_character_file(status);
        case NonRegularKind::Folder:
            return fs::is_directory(status) && fs::is_empty(path, ec);
        case NonRegularKind::Socket:
            return fs::is_socket(status);
        case NonRegularKind::DanglingLink:
            return fs::is_symlink(fs::symlink_status(path, ec)) && !fs::exists(status);
    }
    return false;
}

std::string kindName(NonRegularKind kind) {
    switch (kind) {
        case NonRegularKind::Fifo:
            return "Fifo";
        case NonRegularKind::Device:
            return "Device";
        case NonRegularKind::Folder:
            return "Folder";
        case NonRegularKind::Socket:
            return "Socket";
        case NonRegularKind::DanglingLink:
            return "DanglingLink";
    }
    return "Unknown";
}

std::string runGuarded(const std::function<bool()>& check, unsigned seconds) {
    const pid_t child = ::fork();
    if (child < 0) return "failed (no child process)";
    if (child == 0) {
        // SIGALRM's default action ends the child: a call that waits for
        // ever is ended here.
        ::alarm(seconds);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return "failed (lost the child process)";
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 0 ? "passed" : "failed";
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) return "hung (ended by the alarm)";
    return "crashed (signal " + std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0) + ")";
}

}  // namespace tlvx::test
