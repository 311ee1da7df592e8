#include "platform/files/file_blocks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tlvx::platform {

bool BlockReader::open(const std::filesystem::path& path, std::size_t blockSize,
                       std::uint64_t maxSize) {
    close();
    // Only a regular file: a FIFO would make the open wait, a device never
    // end.
    file_ = RegularFile::openForReading(path, maxSize);
    if (!file_) return false;
    ::posix_fadvise(file_.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    constexpr std::uint64_t kLeast = 4096;
    blockSize = std::max<std::size_t>(blockSize, 1);
    capacity_ = static_cast<std::size_t>(std::clamp<std::uint64_t>(
        file_.size() + 1, std::min<std::uint64_t>(kLeast, blockSize), blockSize));
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
    return true;
}

void BlockReader::close() {
    file_ = RegularFile();
    buffer_.reset();
    capacity_ = pos_ = end_ = 0;
    taken_ = 0;
    eof_ = readError_ = false;
}

void BlockReader::readNext() {
    pos_ = end_ = 0;
    while (file_ && !eof_ && !readError_) {
        const ssize_t got = ::read(file_.fd(), buffer_.get(), capacity_);
        if (got > 0) {
            taken_ += static_cast<std::uint64_t>(got);
            // A pseudo-file that never ends is cut off, and counts as
            // unreadable rather than as shorter than it is.
            if (taken_ > file_.readBound()) {
                readError_ = true;
                return;
            }
            end_ = static_cast<std::size_t>(got);
            return;
        }
        if (got == 0) {
            eof_ = true;
        } else if (errno != EINTR) {
            readError_ = true;
        }
    }
}

bool readBlocks(const std::filesystem::path& path, std::size_t blockSize,
                const std::function<bool(std::string_view)>& consume) {
    BlockReader reader;
    if (!reader.open(path, blockSize)) return false;
    for (auto block = reader.rest(); !block.empty(); block = reader.rest()) {
        if (!consume(block)) break;
        reader.take(block.size());
    }
    return !reader.failed();
}

}  // namespace tlvx::platform
