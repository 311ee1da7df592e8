#include "program/history/version_order.h"

#include <algorithm>

#include "platform/text/name_collation.h"

namespace tlvx::history {
namespace {

bool allDigits(std::string_view part) {
    return !part.empty() &&
           std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Numbers of any length, without converting them: fewer significant
// digits is smaller, equal lengths compare digit by digit.
int compareNumbers(std::string_view a, std::string_view b) {
    const auto significant = [](std::string_view digits) {
        const auto first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : digits.substr(first);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareParts(std::string_view a, std::string_view b) {
    const bool numberA = allDigits(a), numberB = allDigits(b);
    if (numberA && numberB) return compareNumbers(a, b);
    if (numberA != numberB) return numberA ? -1 : 1;
    return platform::collation::compareNames(a, b);
}

// The part before the next "." and the rest after it.
std::string_view nextPart(std::string_view& rest, bool& more) {
    const auto dot = rest.find('.');
    const std::string_view part = rest.substr(0, dot);
    more = dot != std::string_view::npos;
    rest = more ? rest.substr(dot + 1) : std::string_view();
    return part;
}

}  // namespace

int compareVersions(std::string_view a, std::string_view b) {
    bool moreA = true, moreB = true;
    while (moreA && moreB) {
        const std::string_view partA = nextPart(a, moreA);
        const std::string_view partB = nextPart(b, moreB);
        if (const int c = compareParts(partA, partB); c != 0) return c < 0 ? -1 : 1;
    }
    if (moreA == moreB) return 0;
    return moreA ? 1 : -1;
}

void sortVersions(std::vector<std::string>& versions) {
    std::stable_sort(versions.begin(), versions.end(),
                     [](const std::string& a, const std::string& b) { return versionLess(a, b); });
}

}  // namespace tlvx::history
