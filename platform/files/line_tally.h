#pragma once
// One reading of a text file that gives what three readings of it would:
// - the pieces its whole text falls into when split at every CR LF (0 for an
//   empty file), as a line count that only knows CR LF gives them;
// - the number of the first line (text-stream reading: a line ends at CR LF)
//   that holds a search text;
// - over its lines as sequential line input reads them (a line ends at CR LF
//   or at a lone CR), the blank lines (tabs and spaces only, or empty) and
//   the marked lines (the first byte that is neither tab nor space is the
//   mark).
// The file is read as its CR LF twin: a line feed that does not follow a
// carriage return counts as a CR LF in all three, since checkouts made on
// this system often end lines so. A file of CR LF line ends is its own twin.
// One block of the file is held at a time, whatever its size.

#include <cstdint>
#include <filesystem>

#include "platform/text/ansi_search.h"

namespace tlvx::platform {

struct LineTally {
    // False when the file could not be opened (missing, no regular file, no
    // permission) or a read failed: the counts are 0 then, and firstFound
    // is what a search that stopped at the failure had found.
    bool readable = false;
    std::uint64_t pieces = 0;
    // 1-based; 0 when no line holds the search text or none was asked for.
    // Like any text-stream search, one that meets a line longer than the
    // whole-file bound before a match finds nothing, and line numbers beyond
    // INT32_MAX are not reported.
    std::uint64_t firstFound = 0;
    std::uint64_t blank = 0;
    std::uint64_t marked = 0;
    // True when some line feed did not follow a carriage return.
    bool bareLineFeeds = false;
};

// `search`, when given, must be able to match (TextSearch::canMatch);
// otherwise nothing is searched.
LineTally tallyLines(const std::filesystem::path& file, char mark,
                     ansi::TextSearch* search = nullptr);

}  // namespace tlvx::platform
