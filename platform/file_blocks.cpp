#include "platform/file_blocks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

#include "platform/regular_file.h"

namespace tlvx::platform {

bool readBlocks(const std::filesystem::path& path, std::size_t blockSize,
                const std::function<bool(std::string_view)>& consume) {
    // Only a regular file: a FIFO would make the open wait, a device never
    // end.
    const auto file = RegularFile::openForReading(path);
    if (!file) return false;
    const int fd = file.fd();
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // A small file gets a buffer its size (and a byte more, to meet the end
    // at once), not a whole block; a file that grows meanwhile is still
    // read to its end.
    constexpr std::uint64_t kLeast = 4096;
    const auto bufferSize = static_cast<std::size_t>(std::clamp<std::uint64_t>(
        file.size() + 1, std::min<std::uint64_t>(kLeast, blockSize), blockSize));
    const auto buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.get(), bufferSize);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        if (!consume(std::string_view(buffer.get(), static_cast<std::size_t>(got)))) break;
    }
    return ok;
}

}  // namespace tlvx::platform
