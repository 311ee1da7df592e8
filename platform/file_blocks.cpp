#include "platform/file_blocks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace tlvx::platform {

bool readBlocks(const std::filesystem::path& path, std::size_t blockSize,
                const std::function<bool(std::string_view)>& consume) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const auto buffer = std::make_unique_for_overwrite<char[]>(blockSize);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.get(), blockSize);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        if (!consume(std::string_view(buffer.get(), static_cast<std::size_t>(got)))) break;
    }
    ::close(fd);
    return ok;
}

}  // namespace tlvx::platform
