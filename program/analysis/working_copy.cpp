#include "program/analysis/working_copy.h"

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

}  // namespace

std::string WorkingCopyNames::take(std::string_view projectFileName) {
    std::string name(projectFileName);
    // A position without a project file still needs a copy of its own.
    if (name.empty() || name == "." || name == "..") name = "project";
    for (char& c : name)
        if (c == '\0') c = '_';
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
