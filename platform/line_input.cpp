#include "platform/line_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tlvx::platform {
namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}

LineInput::~LineInput() {
    close();
}

bool LineInput::open(const std::filesystem::path& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    // A folder opens for reading here but is not a file.
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    buffer_.resize(kBlockSize);
    return true;
}

void LineInput::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    pos_ = end_ = 0;
    eof_ = readError_ = lastWasCr_ = bareLineFeed_ = false;
    buffer_.clear();
    buffer_.shrink_to_fit();
}

bool LineInput::fill() {
    pos_ = end_ = 0;
    if (eof_ || readError_) return false;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
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
    line.clear();
    if (fd_ < 0) return false;
    bool hasText = false;
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
        const char* start = buffer_.data() + pos_;
        const std::size_t available = end_ - pos_;
        const auto* cr = static_cast<const char*>(std::memchr(start, '\r', available));
        std::size_t length = cr ? static_cast<std::size_t>(cr - start) : available;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', length));
        if (lf) bareLineFeed_ = true;
        if (lf && lineFeedEndsLine_) {
            length = static_cast<std::size_t>(lf - start);
            line.append(start, length);
            pos_ += length + 1;
            return true;
        }
        line.append(start, length);
        hasText = hasText || length > 0;
        if (cr) {
            pos_ += length + 1;
            lastWasCr_ = true;
            return true;
        }
        pos_ = end_;
    }
}

}  // namespace tlvx::platform
