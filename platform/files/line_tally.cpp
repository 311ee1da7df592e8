#include "platform/files/line_tally.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstddef>
#include <string_view>

#include "platform/descriptors/regular_file.h"
#include "platform/files/file_blocks.h"
#include "platform/files/line_input.h"
#include "platform/text/blanks.h"

namespace tlvx::platform {
namespace {

// The last line number a text-stream search reports.
constexpr std::uint64_t kLastReportedLine = INT32_MAX;

// Bit i set when p[i] is a CR or a LF, for `size` (at most 64) bytes.
std::uint64_t lineEndMask(const char* p, std::size_t size) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    if (size == 64) {
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        for (int part = 0; part < 4; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf));
            mask |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(hits)))
                    << (16 * part);
        }
        return mask;
    }
#endif
    for (std::size_t i = 0; i < size; ++i)
        if (p[i] == '\r' || p[i] == '\n') mask |= std::uint64_t{1} << i;
    return mask;
}

// The three readings at once, fed block by block. Two kinds of line run side
// by side: line input ends a line at a CR (with the LF that follows it) and
// at a bare LF; the text stream and the piece count end one only at a CR LF
// and at a bare LF, so that a lone CR is text there.
class Tally {
public:
    Tally(char mark, ansi::TextSearch* search) : mark_(mark), search_(search) {
        if (search_ && !search_->canMatch()) search_ = nullptr;
        if (search_) search_->startLine();
    }

    void scan(std::string_view block);
    LineTally finish(bool failed);

private:
    // Each takes bytes of the block from `p` on and answers where it
    // stopped: scanLine one line, scanUnsearched the rest of the block,
    // endAt the line end at `stop`.
    const char* scanLine(const char* p, const char* end);
    const char* scanUnsearched(const char* p, const char* end);
    const char* endAt(const char* stop, const char* end);
    void inputText(const char* begin, const char* end);
    void endInputLine();
    void streamText(std::string_view text);
    void endStreamLine();

    const char mark_;
    // The search while it is undecided; null once it found its line, gave
    // up or was never asked for.
    ansi::TextSearch* search_;
    LineTally tally_;
    bool any_ = false;         // the file holds a byte
    bool pendingCr_ = false;   // the last block ended in a CR
    std::uint64_t pairs_ = 0;  // CR LF pairs, a bare LF counting as one
    // The line-input line being read: whether it holds a byte, whether it
    // holds one that is neither tab nor space, and whether the first such
    // byte is the mark.
    bool inputOpen_ = false;
    bool decided_ = false;
    bool marked_ = false;
    // The text-stream line being searched: its number, its length so far and
    // whether it holds the search text.
    std::uint64_t streamLine_ = 1;
    std::uint64_t streamLength_ = 0;
    bool streamMatched_ = false;
};

inline void Tally::inputText(const char* begin, const char* end) {
    inputOpen_ = true;
    if (decided_) return;
    // Tabs anywhere and spaces at the ends do not count: what decides is
    // the first byte that is neither.
    for (const char* p = begin; p < end; ++p) {
        if (isBlank(*p)) continue;
        decided_ = true;
        marked_ = *p == mark_;
        return;
    }
}

void Tally::endInputLine() {
    if (!decided_)
        ++tally_.blank;
    else if (marked_)
        ++tally_.marked;
    inputOpen_ = decided_ = false;
}

void Tally::streamText(std::string_view text) {
    streamLength_ += text.size();
    // A line beyond the whole-file bound is never searched to its end.
    if (streamLength_ > kMaxWholeFileSize) {
        search_ = nullptr;
        return;
    }
    if (!streamMatched_) streamMatched_ = search_->feed(text);
}

void Tally::endStreamLine() {
    if (!search_) return;
    // An empty line holds the empty search text.
    if (!streamMatched_ && streamLength_ == 0) streamMatched_ = search_->feed({});
    if (streamMatched_) {
        tally_.firstFound = streamLine_;
        search_ = nullptr;
        return;
    }
    if (streamLine_ == kLastReportedLine) {
        search_ = nullptr;
        return;
    }
    ++streamLine_;
    streamLength_ = 0;
    search_->startLine();
}

void Tally::scan(std::string_view block) {
    if (block.empty()) return;
    any_ = true;
    const char* p = block.data();
    const char* const end = p + block.size();
    if (pendingCr_) {
        pendingCr_ = false;
        if (*p == '\n') {
            ++pairs_;
            endStreamLine();
            ++p;
        } else if (search_) {
            streamText("\r");
        }
    }
    // Line by line while the search is open (the header of a module), then
    // the rest of the block at once.
    while (p < end) p = search_ ? scanLine(p, end) : scanUnsearched(p, end);
}

const char* Tally::endAt(const char* stop, const char* end) {
    if (*stop == '\n') {
        // A bare LF: the LF of a pair is taken with its CR.
        tally_.bareLineFeeds = true;
        ++pairs_;
        endInputLine();
        endStreamLine();
        return stop + 1;
    }
    endInputLine();
    if (stop + 1 == end) {
        pendingCr_ = true;
        return end;
    }
    if (stop[1] == '\n') {
        ++pairs_;
        endStreamLine();
        return stop + 2;
    }
    if (search_) streamText("\r");
    return stop + 1;
}

const char* Tally::scanLine(const char* p, const char* end) {
    const char* stop = findCrOrLf(p, end);
    if (stop != p) {
        inputText(p, stop);
        if (search_) streamText({p, static_cast<std::size_t>(stop - p)});
    }
    return stop == end ? end : endAt(stop, end);
}

const char* Tally::scanUnsearched(const char* p, const char* end) {
    // The line ends of 64 bytes at a time as one mask: lines are short, so
    // finding each end on its own would cost more than the counting. With
    // the search decided, a line end is a line input's end and perhaps a
    // pair, nothing more.
    const char* line = p;  // where the current line's text starts
    std::uint64_t pairs = 0, blank = 0, marked = 0;
    for (const char* chunk = p; chunk < end; chunk += 64) {
        const auto size = static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - chunk, 64));
        for (std::uint64_t ends = lineEndMask(chunk, size); ends != 0; ends &= ends - 1) {
            const char* stop = chunk + std::countr_zero(ends);
            // The LF of a CR LF pair was taken with its CR.
            if (stop < line) continue;
            if (stop != line) inputText(line, stop);
            if (!decided_)
                ++blank;
            else if (marked_)
                ++marked;
            inputOpen_ = decided_ = false;
            if (*stop == '\n') {
                tally_.bareLineFeeds = true;
                ++pairs;
                line = stop + 1;
            } else if (stop + 1 == end) {
                pendingCr_ = true;
                line = end;
            } else if (stop[1] == '\n') {
                ++pairs;
                line = stop + 2;
            } else {
                line = stop + 1;
            }
        }
    }
    pairs_ += pairs;
    tally_.blank += blank;
    tally_.marked += marked;
    if (line < end) inputText(line, end);
    return end;
}

LineTally Tally::finish(bool failed) {
    if (failed) {
        // Every reading stops at the failure: a search keeps what it found
        // in the lines read whole before it, the counts are nothing.
        LineTally none;
        none.firstFound = tally_.firstFound;
        return none;
    }
    // A CR that ends the file is the text stream's text; line input ended
    // its line at it.
    if (pendingCr_ && search_) streamText("\r");
    if (inputOpen_) endInputLine();
    if (search_ && streamLength_ > 0) endStreamLine();
    tally_.readable = true;
    tally_.pieces = any_ ? pairs_ + 1 : 0;
    return tally_;
}

}  // namespace

LineTally tallyLines(const std::filesystem::path& file, char mark, ansi::TextSearch* search) {
    BlockReader reader;
    if (!reader.open(file)) return {};
    Tally tally(mark, search);
    for (auto block = reader.rest(); !block.empty(); block = reader.rest()) {
        tally.scan(block);
        reader.take(block.size());
    }
    return tally.finish(reader.failed());
}

}  // namespace tlvx::platform
