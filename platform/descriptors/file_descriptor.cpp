#include "platform/descriptors/file_descriptor.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tlvx::platform {

int FileDescriptor::release() noexcept {
    return std::exchange(fd_, -1);
}

void FileDescriptor::reset(int fd) noexcept {
    const int old = std::exchange(fd_, fd < 0 ? -1 : fd);
    if (old < 0 || old == fd_) return;
    // A closing on the way out leaves errno as the failure before it set it.
    const int savedErrno = errno;
    ::close(old);
    errno = savedErrno;
}

bool FileDescriptor::close() noexcept {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
}

}  // namespace tlvx::platform
