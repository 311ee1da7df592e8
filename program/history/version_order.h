#pragma once
// The order of version texts: "1.9.0" before "1.10.0". The texts are split
// at ".", and part by part a part of digits alone is compared as a number
// (of any length: leading zeros do not count), any other part as text, the
// way the desktop orders names; a number comes before a text. A version
// that runs out of parts first comes first ("1.2" before "1.2.0").

#include <string>
#include <string_view>
#include <vector>

namespace tlvx::history {

// Negative, zero or positive as `a` comes before, with or after `b`.
// "1.01" and "1.1" are equal keys.
int compareVersions(std::string_view a, std::string_view b);

inline bool versionLess(std::string_view a, std::string_view b) {
    return compareVersions(a, b) < 0;
}

// Sorts into version order; versions with equal keys keep their order.
void sortVersions(std::vector<std::string>& versions);

}  // namespace tlvx::history
