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

// For `size` (at most 64) bytes from p, bit i of each mask tells of p[i]:
// a CR or a LF; a byte that is none of CR, LF, tab and space; the mark.
struct ChunkMasks {
    std::uint64_t ends = 0;
    std::uint64_t text = 0;
    std::uint64_t mark = 0;
};

ChunkMasks chunkMasks(const char* p, std::size_t size, char mark) {
    ChunkMasks m;
#if defined(__SSE2__)
    if (size == 64) {
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i tab = _mm_set1_epi8('\t');
        const __m128i space = _mm_set1_epi8(' ');
        const __m128i marks = _mm_set1_epi8(mark);
        const auto bits = [](__m128i hits, int part) {
            return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(hits)))
                   << (16 * part);
        };
        for (int part = 0; part < 4; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf));
            const __m128i blanks =
                _mm_or_si128(_mm_cmpeq_epi8(bytes, tab), _mm_cmpeq_epi8(bytes, space));
            m.ends |= bits(ends, part);
            m.text |= bits(_mm_or_si128(ends, blanks), part);
            m.mark |= bits(_mm_cmpeq_epi8(bytes, marks), part);
        }
        m.text = ~m.text;
        return m;
    }
#endif
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        if (p[i] == '\r' || p[i] == '\n')
            m.ends |= bit;
        else if (p[i] != '\t' && p[i] != ' ')
            m.text |= bit;
        if (p[i] == mark) m.mark |= bit;
    }
    return m;
}

// The bits below bit i (i at most 64).
constexpr std::uint64_t below(std::size_t i) {
    return i >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << i) - 1;
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
    // 64 bytes at a time as masks: lines are short, so looking at each line
    // on its own would cost more than the counting. With the search decided,
    // a line end is a line input's end and perhaps a pair, nothing more; what
    // decides a line is its first byte that is neither tab nor space.
    const char* line = p;  // where the current line's text starts
    std::uint64_t pairs = 0, blank = 0, marked = 0;
    const auto decide = [this](const ChunkMasks& m, std::uint64_t range) {
        if (decided_) return;
        if (const std::uint64_t text = m.text & range; text != 0) {
            decided_ = true;
            marked_ = (m.mark >> std::countr_zero(text)) & 1;
        }
    };
    for (const char* chunk = p; chunk < end; chunk += 64) {
        const auto size = static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - chunk, 64));
        const ChunkMasks m = chunkMasks(chunk, size, mark_);
        for (std::uint64_t ends = m.ends; ends != 0; ends &= ends - 1) {
            const auto at = static_cast<std::size_t>(std::countr_zero(ends));
            const char* stop = chunk + at;
            // The LF of a CR LF pair was taken with its CR.
            if (stop < line) continue;
            const auto from = static_cast<std::size_t>(std::max<std::ptrdiff_t>(line - chunk, 0));
            decide(m, below(at) & ~below(from));
            if (!decided_)
                ++blank;
            else if (marked_)
                ++marked;
            decided_ = false;
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
        // The line still open decides on this chunk's bytes too.
        if (line < chunk + size) {
            const auto from = static_cast<std::size_t>(std::max<std::ptrdiff_t>(line - chunk, 0));
            decide(m, ~below(from));
        }
    }
    pairs_ += pairs;
    tally_.blank += blank;
    tally_.marked += marked;
    // The open line holds bytes from `line` on (with no line end in the
    // block, that is the whole block).
    inputOpen_ = line < end;
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
