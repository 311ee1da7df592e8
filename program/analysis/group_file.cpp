#include "program/analysis/group_file.h"

#include "platform/descriptors/regular_file.h"
#include "platform/files/line_input.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::analysis {
std::optional<std::string> projectPathOfGroupLine(std::string_view line) {
    if (platform::ansi::startsWithIgnoringCase(line, "vbgroup")) return std::nullopt;
    constexpr std::string_view kStartup = "startupproject=";
    constexpr std::string_view kProject = "project=";
    if (platform::ansi::startsWithIgnoringCase(line, kStartup))
        return std::string(line.substr(kStartup.size()));
    if (platform::ansi::startsWithIgnoringCase(line, kProject))
        return std::string(line.substr(kProject.size()));
    return std::string();
}

std::optional<GroupPositions> readGroupFile(const std::filesystem::path& groupFile) {
    platform::LineInput input;
    input.setLineFeedEndsLine(true);
    // Group files are kilobytes: one too large to read whole is no group.
    if (!input.open(groupFile, platform::kMaxWholeFileSize)) return std::nullopt;
    GroupPositions positions;
    std::string line;
    while (input.readLine(line)) {
        const auto path = projectPathOfGroupLine(line);
        if (!path) continue;
        if (!path->empty())
            positions.named.emplace_back(positions.count, platform::ansi::toUtf8(*path));
        ++positions.count;
    }
    if (input.failed()) return std::nullopt;
    return positions;
}

}  // namespace tlvx::analysis
