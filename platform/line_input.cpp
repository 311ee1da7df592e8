#include "platform/line_input.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/regular_file.h"

namespace tlvx::platform {
namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}  // namespace

// Lines are short, so eight bytes are tested at a time rather than calling
// memchr twice per line.
const char* findCrOrLf(const char* p, const char* end) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    constexpr uint64_t kCr = kOnes * '\r';
    constexpr uint64_t kLf = kOnes * '\n';
    while (end - p >= 8) {
        uint64_t x;
        std::memcpy(&x, p, 8);
        const uint64_t a = x ^ kCr;
        const uint64_t b = x ^ kLf;
        if ((((a - kOnes) & ~a) | ((b - kOnes) & ~b)) & kHighs) break;
        p += 8;
    }
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return p;
}

std::size_t findCrOrLf(std::string_view text, std::size_t from) {
    if (from >= text.size()) return std::string_view::npos;
    const char* end = text.data() + text.size();
    const char* found = findCrOrLf(text.data() + from, end);
    return found == end ? std::string_view::npos : static_cast<std::size_t>(found - text.data());
}

LineInput::~LineInput() {
    close();
}

bool LineInput::open(const std::filesystem::path& path, std::uint64_t maxSize) {
    close();
    auto file = RegularFile::openForReading(path, maxSize);
    if (!file) return false;
    fd_ = file.release();
    buffer_ = std::make_unique_for_overwrite<char[]>(kBlockSize);
    return true;
}

void LineInput::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    pos_ = end_ = 0;
    eof_ = readError_ = lastWasCr_ = bareLineFeed_ = midLine_ = false;
    buffer_.reset();
}

bool LineInput::fill() {
    pos_ = end_ = 0;
    if (eof_ || readError_) return false;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.get(), kBlockSize);
        if (got > 0) {
            end_ = static_cast<std::size_t>(got);
            return true;
        }
        if (got == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) {
            readError_ = true;
            return false;
        }
    }
}

bool LineInput::readLine(std::string& line) {
    bool complete = false;
    return readLinePart(line, SIZE_MAX, complete);
}

bool LineInput::readLinePart(std::string& line, std::size_t maxBytes, bool& complete) {
    line.clear();
    complete = true;
    if (fd_ < 0) return false;
    // A line handed out in parts has text already.
    bool hasText = std::exchange(midLine_, false);
    for (;;) {
        if (pos_ == end_ && !fill()) {
            if (readError_) {
                line.clear();
                return false;
            }
            return hasText;
        }
        if (lastWasCr_) {
            // The LF of a CR LF pair, possibly at the start of a new block.
            lastWasCr_ = false;
            if (buffer_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        if (line.size() >= maxBytes) {
            complete = false;
            midLine_ = true;
            return true;
        }
        const char* start = buffer_.get() + pos_;
        const char* end = buffer_.get() + end_;
        const char* stop = findCrOrLf(start, end);
        const auto length = static_cast<std::size_t>(stop - start);
        if (stop == end) {
            line.append(start, length);
            hasText = hasText || length > 0;
            pos_ = end_;
            continue;
        }
        if (*stop == '\n') {
            // Any LF found here is bare: the LF of a CR LF pair was taken
            // with its CR.
            bareLineFeed_ = true;
            if (lineFeedEndsLine_) {
                line.append(start, length);
                pos_ += length + 1;
                return true;
            }
            line.append(start, length + 1);
            hasText = true;
            pos_ += length + 1;
            continue;
        }
        line.append(start, length);
        pos_ += length + 1;
        lastWasCr_ = true;
        return true;
    }
}

}  // namespace tlvx::platform
