#include "program/analysis/project_recognition.h"

#include "platform/files/line_input.h"
#include "platform/files/text_stream.h"
#include "platform/files/win_path.h"
#include "platform/text/ansi_codepage.h"
#include "program/analysis/module_entries.h"

namespace tlvx::analysis {
namespace {

bool fileHoldsProject(const std::filesystem::path& file) {
    const auto text = platform::readAll(file);
    return text && holdsProject(*text);
}

}  // namespace

bool holdsProject(std::string_view text) {
    while (!text.empty()) {
        const auto end = platform::findCrOrLf(text);
        const std::string_view line = text.substr(0, end);
        if (platform::ansi::startsWithIgnoringCase(line, "type=") || modulePathOfLine(line))
            return true;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return false;
}

bool projectFileHoldsProject(std::string_view projectFile) {
    const auto resolved = platform::winpath::resolve(projectFile);
    return resolved && fileHoldsProject(*resolved);
}

std::string notAProjectMessage(std::string_view projectFile) {
    return "\"" + std::string(projectFile) +
           "\" is not a VB6 project (it has no \"Type=\" line and names no module), so it was "
           "not calculated.";
}

}  // namespace tlvx::analysis
