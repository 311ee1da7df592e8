#include "platform/files/dir_listing.h"

#include <filesystem>
#include <system_error>

#include "platform/files/win_path.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::dir {
namespace {

namespace fs = std::filesystem;

char32_t folded(char16_t c) {
    return unicode::toUpper(char32_t{c});
}

bool isFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

bool hasWildcards(std::u16string_view winPath) {
    return winPath.find_first_of(u"*?") != std::u16string_view::npos;
}

bool matches(std::u16string_view pattern, std::u16string_view name) {
    // Greedy matching with one back-track point for the last '*'.
    std::size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == u'?' || (pattern[p] != u'*' && folded(pattern[p]) == folded(name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

std::optional<std::u16string> firstMatch(std::u16string_view winPath) {
    const std::u16string name = winpath::fileName(winPath);
    if (name.empty()) return std::nullopt;
    if (!hasWildcards(name)) {
        const auto path = winpath::resolve(winPath);
        if (!path || !isFile(*path)) return std::nullopt;
        return winpath::toUtf16(path->filename());
    }
    const std::u16string_view folderPart = winPath.substr(0, winPath.size() - name.size());
    const auto folder = winpath::resolve(folderPart.empty() ? u"." : folderPart);
    if (!folder) return std::nullopt;
    std::error_code ec;
    for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::u16string entry = winpath::toUtf16(it->path().filename());
        if (matches(name, entry) && isFile(it->path())) return entry;
    }
    return std::nullopt;
}

}  // namespace tlvx::platform::dir
