#include "platform/files/text_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/descriptors/regular_file.h"

namespace tlvx::platform {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// pread(2) of exactly `size` bytes at `offset`; false when fewer are there.
bool readAt(int fd, char* data, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

}  // namespace

std::string_view lastLineOf(std::string_view text) {
    constexpr std::string_view kLineEnd = "\r\n";
    if (text.ends_with(kLineEnd)) text.remove_suffix(kLineEnd.size());
    if (const auto at = text.rfind(kLineEnd); at != std::string_view::npos)
        text.remove_prefix(at + kLineEnd.size());
    return text;
}

std::optional<std::string> readLastLine(const std::filesystem::path& path) {
    const auto file = RegularFile::openForReading(path);
    if (!file) return std::nullopt;
    // A pseudo-file's size tells nothing of what it holds.
    if (file.isPseudo()) return std::nullopt;
    // [start, end) of the last line: a final CR LF closes it.
    std::uint64_t end = file.size();
    if (end >= 2) {
        char last[2];
        if (!readAt(file.fd(), last, 2, end - 2)) return std::nullopt;
        if (last[0] == '\r' && last[1] == '\n') end -= 2;
    }
    std::uint64_t start = 0;
    std::string block;
    for (std::uint64_t pos = end; pos > 0;) {
        const std::uint64_t n = std::min<std::uint64_t>(kBlockSize, pos);
        pos -= n;
        // One byte into the block read before, so that a pair split between
        // the two is seen.
        block.resize(static_cast<std::size_t>(std::min(n + 1, end - pos)));
        if (!readAt(file.fd(), block.data(), block.size(), pos)) return std::nullopt;
        if (const auto at = block.rfind("\r\n"); at != std::string::npos) {
            start = pos + at + 2;
            break;
        }
    }
    std::string line(static_cast<std::size_t>(end - start), '\0');
    if (!readAt(file.fd(), line.data(), line.size(), start)) return std::nullopt;
    return line;
}

TextStream::~TextStream() {
    close();
}

bool TextStream::open(const std::filesystem::path& path) {
    overlong_ = false;
    return reader_.open(path);
}

void TextStream::close() {
    reader_.close();
    overlong_ = false;
}

// A read error ends the stream like the end of the file.
bool TextStream::atEndOfStream() {
    return overlong_ || reader_.rest().empty();
}

std::string TextStream::readLine() {
    std::string line;
    bool complete = false;
    readLinePart(line, static_cast<std::size_t>(kMaxWholeFileSize), complete);
    if (complete) return line;
    overlong_ = true;
    return {};
}

void TextStream::readLinePart(std::string& line, std::size_t maxBytes, bool& complete) {
    line.clear();
    complete = true;
    if (overlong_) return;
    // True when the previous block ended with a CR whose partner is unknown.
    bool pendingCr = false;
    for (;;) {
        if (!pendingCr && line.size() >= maxBytes) {
            complete = false;
            return;
        }
        std::string_view block = reader_.rest();
        if (block.empty()) break;
        if (pendingCr) {
            pendingCr = false;
            if (block.front() == '\n') {
                reader_.take(1);
                return;
            }
            line.push_back('\r');
        }
        const char* start = block.data();
        const char* stop = start + block.size();
        const char* scan = start;
        for (;;) {
            const auto* cr = static_cast<const char*>(std::memchr(scan, '\r', stop - scan));
            if (!cr) {
                line.append(start, stop);
                reader_.take(block.size());
                break;
            }
            if (cr + 1 == stop) {
                line.append(start, cr);
                reader_.take(block.size());
                pendingCr = true;
                break;
            }
            if (cr[1] == '\n') {
                line.append(start, cr);
                reader_.take(static_cast<std::size_t>(cr + 2 - start));
                return;
            }
            scan = cr + 1;
        }
    }
    if (pendingCr) line.push_back('\r');
}

}  // namespace tlvx::platform
