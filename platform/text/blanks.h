#pragma once
// Blanks around a value in the system's small text files (profile files,
// /proc status lines): spaces and tabs, nothing else.

#include <string_view>

namespace tlvx::platform {

constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without the blanks at its start and end.
constexpr std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace tlvx::platform
