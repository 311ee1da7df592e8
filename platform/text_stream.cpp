#include "platform/text_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tlvx::platform {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

// A file descriptor for reading a file that is not a folder, or -1.
int openForReading(const std::filesystem::path& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// read(2) that retries after a signal; -1 on an error.
ssize_t readSome(int fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got >= 0 || errno != EINTR) return got;
    }
}

}  // namespace

std::optional<std::string> readAll(const std::filesystem::path& path) {
    struct stat st;
    const int fd = openForReading(path, st);
    if (fd < 0) return std::nullopt;
    std::string text;
    // The size is a hint only: the file may grow or shrink while it is read.
    std::size_t capacity = S_ISREG(st.st_mode) && st.st_size > 0
                               ? static_cast<std::size_t>(st.st_size) + 1
                               : kBlockSize;
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) capacity *= 2;
        text.resize(capacity);
        const ssize_t got = readSome(fd, text.data() + size, capacity - size);
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    ::close(fd);
    text.resize(size);
    return text;
}

std::string_view lastLineOf(std::string_view text) {
    constexpr std::string_view kLineEnd = "\r\n";
    if (text.ends_with(kLineEnd)) text.remove_suffix(kLineEnd.size());
    if (const auto at = text.rfind(kLineEnd); at != std::string_view::npos)
        text.remove_prefix(at + kLineEnd.size());
    return text;
}

TextStream::~TextStream() {
    close();
}

bool TextStream::open(const std::filesystem::path& path) {
    close();
    struct stat st;
    fd_ = openForReading(path, st);
    if (fd_ < 0) return false;
    buffer_ = std::make_unique_for_overwrite<char[]>(kBlockSize);
    return true;
}

void TextStream::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    pos_ = end_ = 0;
    eof_ = false;
    buffer_.reset();
}

bool TextStream::fill() {
    pos_ = end_ = 0;
    if (eof_ || fd_ < 0) return false;
    const ssize_t got = readSome(fd_, buffer_.get(), kBlockSize);
    if (got <= 0) {
        // A read error ends the stream like the end of the file.
        eof_ = true;
        return false;
    }
    end_ = static_cast<std::size_t>(got);
    return true;
}

bool TextStream::atEndOfStream() {
    return pos_ == end_ && !fill();
}

std::string TextStream::readLine() {
    std::string line;
    // True when the previous block ended with a CR whose partner is unknown.
    bool pendingCr = false;
    for (;;) {
        if (pos_ == end_ && !fill()) break;
        if (pendingCr) {
            pendingCr = false;
            if (buffer_[pos_] == '\n') {
                ++pos_;
                return line;
            }
            line.push_back('\r');
        }
        const char* start = buffer_.get() + pos_;
        const char* stop = buffer_.get() + end_;
        const char* scan = start;
        for (;;) {
            const auto* cr = static_cast<const char*>(std::memchr(scan, '\r', stop - scan));
            if (!cr) {
                line.append(start, stop);
                pos_ = end_;
                break;
            }
            if (cr + 1 == stop) {
                line.append(start, cr);
                pos_ = end_;
                pendingCr = true;
                break;
            }
            if (cr[1] == '\n') {
                line.append(start, cr);
                pos_ = static_cast<std::size_t>(cr + 2 - buffer_.get());
                return line;
            }
            scan = cr + 1;
        }
    }
    if (pendingCr) line.push_back('\r');
    return line;
}

}  // namespace tlvx::platform
