#pragma once
// Raw byte access to a file in blocks, read-only, so that a file of any size
// is looked at with a bounded amount of memory.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/descriptors/regular_file.h"

namespace tlvx::platform {

// A regular file read in order, one block at a time, into one buffer that
// the caller scans and takes bytes from. The line readers and readBlocks
// share it.
class BlockReader {
public:
    // The usual block: large enough that reads are few, small enough to
    // stay in the cache.
    static constexpr std::size_t kDefaultBlockSize = 64 * 1024;

    BlockReader() = default;
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // False when the path names no regular file (missing, a folder, a FIFO,
    // a device), when the file holds more than `maxSize` bytes or cannot be
    // opened for reading. Opening again closes the file opened before. A
    // small file gets a buffer of its own size (and a byte more, to meet the
    // end at once) rather than a whole block.
    bool open(const std::filesystem::path& path, std::size_t blockSize = kDefaultBlockSize,
              std::uint64_t maxSize = kAnyFileSize);
    bool isOpen() const { return static_cast<bool>(file_); }
    void close();

    // The bytes of the current block not taken yet; when none are left the
    // next block is read first. Empty at the end of the file, after a read
    // error and when nothing is open. A file that grows meanwhile is read to
    // its new end.
    std::string_view rest() {
        if (pos_ == end_) readNext();
        return {buffer_.get() + pos_, end_ - pos_};
    }
    // Takes the first `count` bytes of rest().
    void take(std::size_t count) { pos_ += count; }
    // True when reading stopped at a read error rather than the end; also
    // when the file gave more than its read bound (RegularFile::readBound).
    bool failed() const { return readError_; }

private:
    // Reads the next block once every byte of the last one is taken.
    void readNext();

    RegularFile file_;
    std::unique_ptr<char[]> buffer_;  // left uninitialised
    std::size_t capacity_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::uint64_t taken_ = 0;  // bytes read from the file so far
    bool eof_ = false;
    bool readError_ = false;
};

// Hands the file's bytes to `consume` block by block, in order, each block
// at most `blockSize` bytes (a small file in one block of its own size);
// `consume` returns false to stop early. False when the file is no regular file or
// cannot be opened, or a read fails (a file giving more than its read
// bound included).
bool readBlocks(const std::filesystem::path& path, std::size_t blockSize,
                const std::function<bool(std::string_view)>& consume);

}  // namespace tlvx::platform
