#pragma once
// The text listing `tlvx-strings` builds string modules from, and writes
// back from a module:
//
//   # a comment line
//   4611=Western European (Windows)
//   12=Two\nlines
//
// UTF-8 text (a leading byte-order mark is skipped), one string per line
// ending in LF or CR LF. A line is its number (decimal, 0 to 4294967295,
// blanks around it allowed), '=' and the text up to the line end, taken as
// written. In the text, "\\" is a backslash, "\n", "\r" and "\t" the
// control characters, and "\u" with four hexadecimal digits one UTF-16
// unit; any other backslash sequence is an error. Blank lines and lines
// whose first non-blank character is '#' are passed over. A number given
// twice is an error.

#include <string>
#include <string_view>
#include <vector>

#include "platform/files/string_module.h"

namespace tlvx::tools {

struct ListingError {
    std::size_t line = 0;  // counted from 1
    std::string message;
};

struct ParsedListing {
    platform::strings::StringTable table;
    std::vector<ListingError> errors;  // in line order; the table is only
                                       // whole when there are none
};

ParsedListing parseStringListing(std::string_view text);

// The table as a listing the parser reads back to the same table: numbers in
// ascending order, backslashes, control characters and lone surrogates
// escaped.
std::string formatStringListing(const platform::strings::StringTable& table);

}  // namespace tlvx::tools
