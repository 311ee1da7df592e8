#pragma once
// Sequential line input: a line ends at CR LF or at a lone CR (the pair
// counts once and is not part of the line); a lone LF is an ordinary
// character inside the line. A last line without a line end is still a line;
// an empty file has no lines. Lines are raw bytes (ANSI text). Reading is
// buffered and holds one line at a time.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/file_blocks.h"

namespace tlvx::platform {

// The first CR or LF in [p, end), or end.
const char* findCrOrLf(const char* p, const char* end);
// The position of the first CR or LF at or after `from`, or npos.
std::size_t findCrOrLf(std::string_view text, std::size_t from = 0);

class LineInput {
public:
    LineInput() = default;
    ~LineInput();
    LineInput(const LineInput&) = delete;
    LineInput& operator=(const LineInput&) = delete;

    // False when the path names no regular file (missing, a folder, a FIFO,
    // a device), when the file is larger than `maxSize` bytes or cannot be
    // opened for reading. Opening again closes the file opened before.
    bool open(const std::filesystem::path& path, std::uint64_t maxSize = UINT64_MAX);
    // Reads the next line into `line`; false at the end of the file or on a
    // read error (then `line` is left empty). A line longer than the
    // whole-file bound is never held: it ends the reading as a read error.
    bool readLine(std::string& line);
    // Reads the next line, or the next part of a long one, so that a file
    // of any size is read in bounded memory: a part ends at the line's end
    // (`complete` true) or once it holds `maxBytes` bytes, to within one
    // block (`complete` false; the next call goes on with the same line).
    // False at the end of the file or on a read error.
    bool readLinePart(std::string& line, std::size_t maxBytes, bool& complete);
    // True once a line feed that does not follow a carriage return was read.
    bool sawBareLineFeed() const { return bareLineFeed_; }
    // True when reading stopped at a read error rather than the end.
    bool failed() const { return overlong_ || reader_.failed(); }
    // Lets a lone LF end a line too, for files whose lines end in a bare LF
    // (checkouts made on this system); off by default.
    void setLineFeedEndsLine(bool on) { lineFeedEndsLine_ = on; }
    void close();

private:
    BlockReader reader_;
    bool lastWasCr_ = false;
    bool bareLineFeed_ = false;
    bool lineFeedEndsLine_ = false;
    bool midLine_ = false;   // a part of a line was handed out
    bool overlong_ = false;  // readLine met a line beyond the bound
};

}  // namespace tlvx::platform
