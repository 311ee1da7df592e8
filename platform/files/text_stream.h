#pragma once
// Text-stream reading: line by line where
// only CR LF ends a line (a lone CR or LF stays inside the line) and the line
// end is not part of the line. A last line without a line end is still a
// line; an empty file is at its end at once. Text is raw bytes (ANSI).

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/descriptors/regular_file.h"
#include "platform/files/file_blocks.h"

namespace tlvx::platform {

// The text's last line: what follows its last CR LF once a final CR LF is
// taken off (a final line end closes the last line rather than starting an
// empty one).
std::string_view lastLineOf(std::string_view text);

// The file's last line as lastLineOf gives it, read from the end of the file
// so that only that line is held, whatever the file's size; nullopt when the
// path names no regular file or the file cannot be read.
std::optional<std::string> readLastLine(const std::filesystem::path& path);

class TextStream {
public:
    TextStream() = default;
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    // False when the path names no regular file (missing, a folder, a FIFO,
    // a device) or the file cannot be opened for reading. Opening again closes the file opened
    // before.
    bool open(const std::filesystem::path& path);
    // True when no byte is left to read (also after a read error, and when
    // nothing is open).
    bool atEndOfStream();
    // The next line without its CR LF; empty at the end. A line longer than
    // the whole-file bound is never held: it ends the stream (failed()).
    std::string readLine();
    // The next line, or the next part of a long one, so that a file of any
    // size is read in bounded memory: a part ends at the line's end
    // (`complete` true) or once it holds `maxBytes` bytes, to within one
    // block (`complete` false; the next call goes on with the same line).
    void readLinePart(std::string& line, std::size_t maxBytes, bool& complete);
    // True when reading stopped at a read error, at more than the file's
    // read bound, or at a line too long for readLine.
    bool failed() const { return overlong_ || reader_.failed(); }
    void close();

private:
    BlockReader reader_;
    bool overlong_ = false;
};

}  // namespace tlvx::platform
