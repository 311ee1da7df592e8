#include "program/analysis/working_copy.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/files/file_replacement.h"
#include "platform/files/text_stream.h"
#include "platform/files/win_path.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/unicode_text.h"
#include "program/analysis/line_ends.h"
#include "program/analysis/project_recognition.h"

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
    const std::string key = upper(name);
    if (taken_.insert(key).second) return name;
    const auto dot = name.rfind('.');
    const bool hasExt = dot != std::string::npos && dot != 0;
    const std::string stem = hasExt ? name.substr(0, dot) : name;
    const std::string ext = hasExt ? name.substr(dot) : "";
    const std::string upperStem = upper(stem);
    const std::string upperExt = upper(ext);
    // Each name remembers how far its numbers went, so that many positions
    // of one name do not try every taken number again.
    int& k = nextNumber_.try_emplace(key, 2).first->second;
    const auto numbered = [&](const std::string& base, const std::string& extension) {
        std::string text = base;
        text += '~';
        text += std::to_string(k);
        text += extension;
        return text;
    };
    for (;; ++k) {
        if (taken_.insert(numbered(upperStem, upperExt)).second) {
            std::string taken = numbered(stem, ext);
            ++k;
            return taken;
        }
    }
}

WorkingCopy makeWorkingCopy(std::string_view projectFile, const std::filesystem::path& folder,
                            const std::string& copyName) {
    WorkingCopy copy;
    copy.path = folder / copyName;
    const auto resolved = platform::winpath::resolve(projectFile);
    const auto text = resolved ? platform::readAll(*resolved) : std::nullopt;
    copy.state.found = text.has_value();
    copy.state.holdsProject = text && holdsProject(*text);
    if (!copy.state.holdsProject) {
        // Nothing in it is ever read; what an earlier choice left under the
        // name goes, so that no stale copy stands for this position.
        std::error_code ec;
        std::filesystem::remove(copy.path, ec);
        return copy;
    }
    // Made again at every choice: a crash of the machine loses nothing.
    platform::FileReplacement file(copy.path, platform::Durability::Scratch);
    file.write("[Info]\r\n");
    file.write(withCrLfLineEnds(*text));
    file.write("\r\n");
    if (!file.commit()) copy.state.error = file.error() != 0 ? file.error() : EIO;
    return copy;
}

std::string notCopiedMessage(std::string_view projectFile, const std::filesystem::path& folder,
                             int error) {
    return "The project file \"" + std::string(projectFile) +
           "\" could not be copied to the working folder \"" + folder.string() + "\" (" +
           std::strerror(error) + "), so it was not calculated.";
}

}  // namespace tlvx::analysis
