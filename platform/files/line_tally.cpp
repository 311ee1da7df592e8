#include "platform/files/line_tally.h"

#include <string_view>

#include "platform/descriptors/regular_file.h"
#include "platform/files/file_blocks.h"
#include "platform/files/line_input.h"
#include "platform/text/blanks.h"

namespace tlvx::platform {
namespace {

// The last line number a text-stream search reports.
constexpr std::uint64_t kLastReportedLine = INT32_MAX;

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
    std::uint64_t pairs_ = 0;  // CR LF pairs
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

void Tally::inputText(const char* begin, const char* end) {
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
    while (p < end) {
        const char* stop = findCrOrLf(p, end);
        if (stop != p) {
            inputText(p, stop);
            if (search_) streamText({p, static_cast<std::size_t>(stop - p)});
        }
        if (stop == end) return;
        if (*stop == '\n') {
            // A bare LF: the LF of a pair is taken with its CR.
            tally_.bareLineFeeds = true;
            ++pairs_;
            endInputLine();
            endStreamLine();
            p = stop + 1;
            continue;
        }
        endInputLine();
        if (stop + 1 == end) {
            pendingCr_ = true;
            return;
        }
        if (stop[1] == '\n') {
            ++pairs_;
            endStreamLine();
            p = stop + 2;
        } else {
            if (search_) streamText("\r");
            p = stop + 1;
        }
    }
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
