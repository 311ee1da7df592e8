#pragma once
// Project names and version texts become folder and file names under the
// history folder. Names that cannot stand as one file name (empty, "." and
// "..", or holding '/', '\' or NUL) are stored under a reversible escape:
// those characters, and '%' itself, are written as '%' and two hex digits,
// and so is a leading '.'; the empty name is a lone "%". Every reader shows
// names unescaped.

#include <string>
#include <string_view>

namespace tlvx::history {

std::string escapeRecordName(std::string_view name);
// The name an escaped file name stands for; a file name that is no escape
// (a folder someone made by hand) reads as itself.
std::string unescapeRecordName(std::string_view fileName);

}  // namespace tlvx::history
