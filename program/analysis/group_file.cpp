#include "program/analysis/group_file.h"

#include "platform/ansi_codepage.h"
#include "platform/line_input.h"

namespace tlvx::analysis {
namespace {

bool startsWithLower(std::string_view line, std::string_view lowerKey) {
    if (line.size() < lowerKey.size()) return false;
    for (std::size_t i = 0; i < lowerKey.size(); ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerKey[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> projectPathOfGroupLine(std::string_view line) {
    if (startsWithLower(line, "vbgroup")) return std::nullopt;
    constexpr std::string_view kStartup = "startupproject=";
    constexpr std::string_view kProject = "project=";
    if (startsWithLower(line, kStartup)) return std::string(line.substr(kStartup.size()));
    if (startsWithLower(line, kProject)) return std::string(line.substr(kProject.size()));
    return std::string();
}

std::optional<std::vector<std::string>> readGroupFile(const std::filesystem::path& groupFile) {
    platform::LineInput input;
    input.setLineFeedEndsLine(true);
    if (!input.open(groupFile)) return std::nullopt;
    std::vector<std::string> projects;
    std::string line;
    while (input.readLine(line)) {
        if (auto path = projectPathOfGroupLine(line))
            projects.push_back(platform::ansi::toUtf8(*path));
    }
    if (input.failed()) return std::nullopt;
    return projects;
}

}  // namespace tlvx::analysis
