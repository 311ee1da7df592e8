#pragma once
// Counting one module: its type from the file name, all lines (A), the lines
// after the designer-generated header (P), comment lines (C) and blank lines
// (B).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "program/analysis/library_client.h"

namespace tlvx::analysis {

// "Form", "Module", ..., "OtherModule", from the last four characters of the
// path, letter case ignored.
std::string moduleType(std::u16string_view path);

struct CommentBlankCount {
    int64_t comment = 0;
    int64_t blank = 0;
    bool readable = false;       // the file could be opened
    bool bareLineFeeds = false;  // some line ended in a LF without CR
};

// Reads every line of the file, header included. A line whose first
// character that is neither tab nor space is an apostrophe is a comment; a
// line of tabs and spaces only is blank. A bare LF ends a line here, as a
// CR LF would.
CommentBlankCount countCommentsAndBlanks(const std::filesystem::path& file);

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
// current directory) names. A module with bare LF line ends is counted
// through a CR LF copy made in `scratchFolder` and removed afterwards.
ModuleCount countModule(const std::u16string& path, const TxtFileClient& txt,
                        const std::filesystem::path& scratchFolder);

}  // namespace tlvx::analysis
