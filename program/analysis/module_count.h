#pragma once
// Counting one module: its type from the file name, all lines (A), the lines
// after the designer-generated header (P), comment lines (C) and blank lines
// (B).

#include <cstdint>
#include <string>
#include <string_view>

namespace tlvx::analysis {

// "Form", "Module", ..., "OtherModule", from the last four characters of the
// path, letter case ignored.
std::string moduleType(std::u16string_view path);

struct ModuleCount {
    // false: no such file (or a folder), the row is "Invalid". A file that
    // cannot be read (no permission, a FIFO, a device) is valid and counts 0.
    bool valid = false;
    std::string type;
    int32_t pure = 0;
    int32_t all = 0;
    int32_t comment = 0;
    int32_t blank = 0;
};

// Counts the module that `path` (Windows notation, resolved against the
// current directory) names, reading it once. The numbers are those of the
// text-file class's line count and header search and of a line input scan
// of the whole file: a line ends at CR LF (and, for the comments and
// blanks, at a lone CR); a line whose first character that is neither tab
// nor space is an apostrophe is a comment; a line of tabs and spaces only
// is blank. A bare LF counts as a CR LF: checkouts made on this system
// often end lines so, and such a module counts as its CR LF twin.
ModuleCount countModule(const std::u16string& path);

}  // namespace tlvx::analysis
