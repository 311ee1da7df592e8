#include "program/history/record_names.h"

#include <optional>

namespace tlvx::history {
namespace {

constexpr char kEscape = '%';

bool needsEscape(char c) {
    return c == '/' || c == '\\' || c == '\0' || c == kEscape;
}

void appendEscaped(std::string& out, char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    out += kEscape;
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

std::optional<int> hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return std::nullopt;
}

}  // namespace

std::string escapeRecordName(std::string_view name) {
    if (name.empty()) return std::string(1, kEscape);
    std::string out;
    // A leading dot is escaped too: it covers "." and "..", and keeps a
    // record from passing for a hidden file or a rewrite in progress.
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (needsEscape(c) || (i == 0 && c == '.'))
            appendEscaped(out, c);
        else
            out += c;
    }
    return out;
}

std::string unescapeRecordName(std::string_view fileName) {
    if (fileName == std::string_view(&kEscape, 1)) return {};
    std::string out;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        if (fileName[i] == kEscape && i + 2 < fileName.size()) {
            const auto hi = hexValue(fileName[i + 1]);
            const auto lo = hexValue(fileName[i + 2]);
            if (hi && lo) {
                out += static_cast<char>(*hi * 16 + *lo);
                i += 2;
                continue;
            }
        }
        out += fileName[i];
    }
    return out;
}

}  // namespace tlvx::history
