#include "platform/files/line_input.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace tlvx::platform {

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
    return reader_.open(path, BlockReader::kDefaultBlockSize, maxSize);
}

void LineInput::close() {
    reader_.close();
    lastWasCr_ = bareLineFeed_ = midLine_ = overlong_ = false;
}

bool LineInput::readLine(std::string& line) {
    bool complete = false;
    if (!readLinePart(line, static_cast<std::size_t>(kMaxWholeFileSize), complete)) return false;
    if (complete) return true;
    overlong_ = true;
    line.clear();
    line.shrink_to_fit();
    return false;
}

bool LineInput::readLinePart(std::string& line, std::size_t maxBytes, bool& complete) {
    line.clear();
    complete = true;
    if (!reader_.isOpen() || overlong_) return false;
    // A line handed out in parts has text already.
    bool hasText = std::exchange(midLine_, false);
    for (;;) {
        const std::string_view block = reader_.rest();
        if (block.empty()) {
            if (reader_.failed()) {
                line.clear();
                return false;
            }
            return hasText;
        }
        if (lastWasCr_) {
            // The LF of a CR LF pair, possibly at the start of a new block.
            lastWasCr_ = false;
            if (block.front() == '\n') {
                reader_.take(1);
                continue;
            }
        }
        if (line.size() >= maxBytes) {
            complete = false;
            midLine_ = true;
            return true;
        }
        const char* start = block.data();
        const char* end = start + block.size();
        const char* stop = findCrOrLf(start, end);
        const auto length = static_cast<std::size_t>(stop - start);
        if (stop == end) {
            line.append(start, length);
            hasText = hasText || length > 0;
            reader_.take(length);
            continue;
        }
        if (*stop == '\n') {
            // Any LF found here is bare: the LF of a CR LF pair was taken
            // with its CR.
            bareLineFeed_ = true;
            if (lineFeedEndsLine_) {
                line.append(start, length);
                reader_.take(length + 1);
                return true;
            }
            line.append(start, length + 1);
            hasText = true;
            reader_.take(length + 1);
            continue;
        }
        line.append(start, length);
        reader_.take(length + 1);
        lastWasCr_ = true;
        return true;
    }
}

}  // namespace tlvx::platform
