#pragma once
// Text-stream reading: the whole file as one string, or line by line where
// only CR LF ends a line (a lone CR or LF stays inside the line) and the line
// end is not part of the line. A last line without a line end is still a
// line; an empty file is at its end at once. Text is raw bytes (ANSI).

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::platform {

// The whole file; nullopt when it cannot be opened or read (a folder cannot).
std::optional<std::string> readAll(const std::filesystem::path& path);

// The text's last line: what follows its last CR LF once a final CR LF is
// taken off (a final line end closes the last line rather than starting an
// empty one).
std::string_view lastLineOf(std::string_view text);

class TextStream {
public:
    TextStream() = default;
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    // False when the file cannot be opened for reading (missing, a folder,
    // no permission). Opening again closes the file opened before.
    bool open(const std::filesystem::path& path);
    // True when no byte is left to read (also after a read error, and when
    // nothing is open).
    bool atEndOfStream();
    // The next line without its CR LF; empty at the end.
    std::string readLine();
    void close();

private:
    // Reads the next block; false at the end of the file or on an error.
    bool fill();

    int fd_ = -1;
    std::unique_ptr<char[]> buffer_;  // a block, left uninitialised
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

}  // namespace tlvx::platform
