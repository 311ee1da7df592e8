#pragma once
// The order in which the desktop lists names: the Unicode collation of the
// root locale at secondary strength. Letter case is ignored and accents are
// kept, so "é" sits next to "e"; punctuation comes before digits and digits
// before letters; numbers are compared as text (10 before 9). Every listing
// and every list of names is ordered by this one comparison.

#include <string_view>

namespace tlvx::platform::collation {

// <0, 0 or >0. Texts are UTF-8; a malformed sequence compares as U+FFFD.
int compareNames(std::string_view utf8a, std::string_view utf8b);

inline bool nameLess(std::string_view utf8a, std::string_view utf8b) {
    return compareNames(utf8a, utf8b) < 0;
}

}  // namespace tlvx::platform::collation
