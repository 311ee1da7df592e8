#include "library/txt_file/txt_file.h"

#include "library/frame/continue_on_error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/descriptors/regular_file.h"
#include "platform/files/file_blocks.h"
#include "platform/files/file_replacement.h"
#include "platform/files/line_input.h"
#include "platform/files/text_stream.h"
#include "platform/files/win_path.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/ansi_search.h"

namespace tlvx::library {

namespace {

namespace fs = std::filesystem;
namespace ansi = platform::ansi;

constexpr std::string_view kLineEnd = "\r\n";

// ---- Arguments in the ANSI code page -----------------------------------

// Text that goes into a file: characters the code page cannot hold become '?'.
std::string writableAnsi(std::u16string_view text) {
    return ansi::fromUtf16(text);
}

// ---- Reading ---------------------------------------------------------------

// Counts CR LF pairs across chunk boundaries: a CR at the end of one chunk
// pairs with an LF at the start of the next.
class CrLfCounter {
public:
    void add(std::string_view chunk) {
        if (chunk.empty()) return;
        const auto* p = reinterpret_cast<const unsigned char*>(chunk.data());
        if (lastWasCr_ && p[0] == '\n') ++pairs_;
        // Nearly every line ends in a pair, so a plain loop that the
        // compiler can widen beats a memchr call per line.
        long long pairs = 0;
        for (std::size_t i = 1; i < chunk.size(); ++i)
            pairs += static_cast<int>(p[i] == '\n') & static_cast<int>(p[i - 1] == '\r');
        pairs_ += pairs;
        if (!chunk.empty()) {
            lastWasCr_ = chunk.back() == '\r';
            empty_ = false;
        }
    }
    bool empty() const { return empty_; }
    long long pairs() const { return pairs_; }

private:
    long long pairs_ = 0;
    bool lastWasCr_ = false;
    bool empty_ = true;
};

// ---- Searching ---------------------------------------------------------------

struct FoundLine {
    int32_t number;
    std::string text;
};

// Opens what a path names for reading: the path as written first, and the
// lookup without regard to case only when that fails, so that an exact path
// costs no extra look at the file system.
template <class Open>
bool openNamed(const std::u16string& fileName, Open&& open) {
    const auto lexical = platform::winpath::lexical(fileName);
    if (lexical && open(*lexical)) return true;
    const auto resolved = platform::winpath::resolve(fileName);
    return resolved && resolved != lexical && open(*resolved);
}

// The first line (text-stream reading) that contains the search text.
std::optional<FoundLine> findFirstContaining(const std::u16string& fileName,
                                             std::u16string_view findString, bool matchCase,
                                             bool keepText) {
    ansi::TextSearch search(findString, matchCase);
    if (!search.canMatch()) return std::nullopt;
    platform::TextStream stream;
    if (!openNamed(fileName, [&](const fs::path& p) { return stream.open(p); }))
        return std::nullopt;
    // Lines are read and searched in parts, so that a file of any size, one
    // long line included, is searched in bounded memory. Only the line asked
    // for is held whole.
    constexpr std::size_t kPart = 64 * 1024;
    std::string line, part;
    for (int32_t number = 1; !stream.atEndOfStream(); ++number) {
        line.clear();
        search.startLine();
        bool found = false;
        bool complete = false;
        std::uint64_t length = 0;
        // The line is read to its end even after a match: a line that never
        // ends (a pseudo-file) or is longer than the bound is no line found.
        while (!complete) {
            stream.readLinePart(part, kPart, complete);
            length += part.size();
            if (length > platform::kMaxWholeFileSize) return std::nullopt;
            if (keepText) line += part;
            if (!found) found = search.feed(part);
        }
        // A line cut off by a read error is no line of the file.
        if (stream.failed()) return std::nullopt;
        if (found) return FoundLine{number, std::move(line)};
        if (number == INT32_MAX) break;  // no 32-bit line number left to report
    }
    return std::nullopt;
}

// ---- Rewriting ---------------------------------------------------------------

// The part of a line DeleteLine and ModifyLine compare: the whole line, or,
// when a separator is given, one field of the line split at every occurrence
// of the separator (an empty line has no fields).
class KeyField {
public:
    KeyField(std::u16string_view separator, int16_t fieldNo)
        : wholeLine_(separator.empty()),
          separator_(ansi::fromUtf16Exactly(separator)),
          fieldNo_(fieldNo) {}

    // [first, second) of the key in `line`; nullopt when the line has no such
    // field.
    std::optional<std::pair<std::size_t, std::size_t>> find(std::string_view line) const {
        if (wholeLine_) return std::pair{std::size_t{0}, line.size()};
        if (line.empty() || fieldNo_ < 0) return std::nullopt;
        // A separator the code page cannot hold never occurs: the line is one
        // field. A double-byte character's second byte is no separator.
        const std::size_t step = separator_ ? separator_->size() : 0;
        std::size_t begin = 0;
        for (int i = 0;; ++i) {
            const std::size_t found =
                separator_ ? ansi::find(line, *separator_, begin) : std::string_view::npos;
            const bool last = found == std::string_view::npos;
            if (i == fieldNo_) return std::pair{begin, last ? line.size() : found};
            if (last) return std::nullopt;
            begin = found + step;
        }
    }

private:
    bool wholeLine_;
    std::optional<std::string> separator_;
    int fieldNo_;
};

// Streams the file's lines (sequential line input) through `edit`, which may
// change a line and returns whether to keep it, and writes the kept lines,
// each ended by CR LF, to a new file that replaces the old one in one step. A
// missing or unreadable file is left alone and never created; a failed
// rewrite leaves the file as it was.
template <class Edit>
void rewriteLines(const std::u16string& fileName, Edit&& edit) {
    const auto path = platform::winpath::resolve(fileName);
    if (!path) return;
    platform::LineInput input;
    if (!input.open(*path)) return;
    platform::FileReplacement replacement(*path);
    if (!replacement.ok()) return;
    std::string line;
    while (input.readLine(line)) {
        if (!edit(line)) continue;
        line += kLineEnd;
        replacement.write(line);
    }
    // A read that broke off would commit a shortened file.
    if (input.failed()) return;
    input.close();
    replacement.commit();
}

// Appends the whole line with one write, so that lines appended at the same
// time by others are never interleaved with it. A write that stops short (a
// full disk, a file size limit) is taken back: the file never ends in half
// a line, which the next line would continue.
void appendBytes(const fs::path& path, std::string_view bytes) {
    const auto file = platform::RegularFile::openForAppend(path);
    if (!file) return;
    const int fd = file.fd();
    off_t start = -1;  // where the line began
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (done == 0) {
            const off_t after = ::lseek(fd, 0, SEEK_CUR);
            if (after >= n) start = after - n;
        }
        done += static_cast<std::size_t>(n);
    }
    if (done == 0 || done == bytes.size() || start < 0) return;
    // Only while the half line still ends the file: what another writer
    // appended after it is not cut.
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size == start + static_cast<off_t>(done))
        // When even this fails, nothing more can be done about the half line.
        [[maybe_unused]]
        const int cut = ::ftruncate(fd, start);
}

}  // namespace

void TxtFile::AppendLine(const std::u16string& fileName, std::u16string& content) noexcept {
    continueOnError([&] {
        const auto path = platform::winpath::resolveForWrite(fileName);
        if (!path) return;  // the folder does not exist
        appendBytes(*path, writableAnsi(content) + std::string(kLineEnd));
    });
}

std::u16string TxtFile::ReadLastLine(const std::u16string& fileName) noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto path = platform::winpath::resolve(fileName);
        if (!path) return std::u16string();
        const auto line = platform::readLastLine(*path);
        return line ? ansi::toUtf16(*line) : std::u16string();
    });
}

int32_t TxtFile::GetLineQty(const std::u16string& fileName) noexcept {
    return continueOnError(int32_t{0}, [&] {
        CrLfCounter counter;
        const bool read = openNamed(fileName, [&](const fs::path& p) {
            CrLfCounter fresh;
            constexpr std::size_t kBlock = 64 * 1024;
            if (!platform::readBlocks(p, kBlock, [&](std::string_view block) {
                    fresh.add(block);
                    return true;
                }))
                return false;
            counter = fresh;
            return true;
        });
        if (!read) return int32_t{0};
        if (counter.empty()) return int32_t{0};
        // The text split at every CR LF: one piece more than there are pairs.
        return static_cast<int32_t>(std::min<long long>(counter.pairs() + 1, INT32_MAX));
    });
}

void TxtFile::DeleteLine(const std::u16string& fileName, const std::u16string& content,
                         const std::u16string& separator, int16_t fieldNo) noexcept {
    continueOnError([&] {
        const KeyField key(separator, fieldNo);
        const auto wanted = ansi::fromUtf16Exactly(content);
        rewriteLines(fileName, [&](std::string& line) {
            const auto range = key.find(line);
            if (!range || !wanted) return true;
            const std::string_view field(line.data() + range->first, range->second - range->first);
            return field != *wanted;
        });
    });
}

void TxtFile::ModifyLine(const std::u16string& fileName, const std::u16string& oldString,
                         const std::u16string& newString, const std::u16string& separator,
                         int16_t fieldNo) noexcept {
    continueOnError([&] {
        const KeyField key(separator, fieldNo);
        const auto wanted = ansi::fromUtf16Exactly(oldString);
        const std::string replacement = writableAnsi(newString);
        rewriteLines(fileName, [&](std::string& line) {
            const auto range = key.find(line);
            if (!range || !wanted) return true;
            const std::size_t length = range->second - range->first;
            // Replacing the field's bytes in place keeps every other field and
            // separator where it was, which is the line rebuilt from its fields.
            if (std::string_view(line).substr(range->first, length) == *wanted) {
                line.replace(range->first, length, replacement);
            }
            return true;
        });
    });
}

bool TxtFile::FindLine(const std::u16string& fileName, const std::u16string& line) noexcept {
    return continueOnError(false, [&] {
        const auto wanted = ansi::fromUtf16Exactly(line);
        if (!wanted) return false;
        platform::TextStream stream;
        if (!openNamed(fileName, [&](const fs::path& p) { return stream.open(p); })) return false;
        while (!stream.atEndOfStream()) {
            const std::string read = stream.readLine();
            if (stream.failed()) return false;
            if (read == *wanted) return true;
        }
        return false;
    });
}

int32_t TxtFile::GetLineNoByFind(const std::u16string& fileName, const std::u16string& findString,
                                 bool matchCase) noexcept {
    return continueOnError(int32_t{0}, [&] {
        const auto found = findFirstContaining(fileName, findString, matchCase, false);
        return found ? found->number : 0;
    });
}

std::u16string TxtFile::GetLineStrByFind(const std::u16string& fileName,
                                         const std::u16string& findString,
                                         bool matchCase) noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto found = findFirstContaining(fileName, findString, matchCase, true);
        return found ? ansi::toUtf16(found->text) : std::u16string();
    });
}

}  // namespace tlvx::library
