#include "program/analysis/working_copy.h"

#include "platform/ansi_codepage.h"
#include "platform/file_replacement.h"
#include "platform/text_stream.h"
#include "platform/unicode_text.h"
#include "platform/win_path.h"
#include "program/analysis/line_ends.h"

namespace tlvx::analysis {
namespace {

std::string upper(std::string_view utf8) {
    return platform::unicode::utf16ToUtf8(
        platform::unicode::toUpper(platform::unicode::utf8ToUtf16(utf8)));
}

// The name as the Windows file system stores it: trailing dots and spaces
// dropped. The profile reader resolves the copy's path by that rule, so the
// copy must bear that name.
std::string_view withoutTrailingDotsAndSpaces(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

// A character the code page cannot hold becomes '_': the copy is read
// through the code page, which would not find it under its own name. NUL
// cannot stand in a file name.
std::string codePageSafe(std::string_view utf8) {
    std::string safe;
    safe.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t start = i;
        const char32_t c = platform::unicode::decodeUtf8(utf8, i);
        if (c != U'\0' && platform::ansi::holds(c))
            safe.append(utf8.substr(start, i - start));
        else
            safe.push_back('_');
    }
    return safe;
}

}  // namespace

std::string WorkingCopyNames::take(std::string_view projectFileName) {
    std::string name = codePageSafe(withoutTrailingDotsAndSpaces(projectFileName));
    // A position without a project file still needs a copy of its own.
    if (name.empty()) name = "project";
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    std::string candidate = name;
    for (int k = 2; taken_.count(upper(candidate)); ++k)
        candidate = stem + "~" + std::to_string(k) + ext;
    taken_.insert(upper(candidate));
    return candidate;
}

std::filesystem::path makeWorkingCopy(std::string_view projectFile,
                                      const std::filesystem::path& folder,
                                      const std::string& copyName) {
    const std::filesystem::path copy = folder / copyName;
    std::string content = "[Info]\r\n";
    if (const auto resolved = platform::winpath::resolve(projectFile)) {
        if (const auto text = platform::readAll(*resolved)) {
            content += withCrLfLineEnds(*text);
            content += "\r\n";
        }
    }
    platform::replaceFileContent(copy, content);
    return copy;
}

}  // namespace tlvx::analysis
