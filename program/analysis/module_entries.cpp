#include "program/analysis/module_entries.h"

#include <array>

#include "platform/files/line_input.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::analysis {
namespace {

enum class PathRule { AfterKey, SecondField };

struct ModuleKey {
    std::string_view key;  // lower case, as compared
    PathRule rule;
};

constexpr std::array<ModuleKey, 7> kModuleKeys = {{
    {"form=", PathRule::AfterKey},
    {"module=", PathRule::SecondField},
    {"class=", PathRule::SecondField},
    {"usercontrol=", PathRule::AfterKey},
    {"propertypage=", PathRule::AfterKey},
    {"designer=", PathRule::AfterKey},
    {"userdocument=", PathRule::AfterKey},
}};

// Only space characters are trimmed; tabs stay.
std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// "Module=mdlMain; mdlMain.bas": the second field of the whole line split
// at ";". A line without ";" has no second field.
std::optional<std::string_view> secondField(std::string_view line) {
    const auto first = line.find(';');
    if (first == std::string_view::npos) return std::nullopt;
    const auto rest = line.substr(first + 1);
    return rest.substr(0, rest.find(';'));
}

}  // namespace

std::optional<std::string> modulePathOfLine(std::string_view line) {
    for (const auto& k : kModuleKeys) {
        if (!platform::ansi::startsWithIgnoringCase(line, k.key)) continue;
        if (k.rule == PathRule::AfterKey) return std::string(trimSpaces(line.substr(k.key.size())));
        if (auto field = secondField(line)) return std::string(trimSpaces(*field));
        return std::nullopt;
    }
    return std::nullopt;
}

bool readModuleEntries(const std::filesystem::path& workingCopy, ListingModel& listing) {
    listing.clear();
    listing.setSorted(false);
    platform::LineInput input;
    if (!input.open(workingCopy)) return false;
    std::string line;
    while (input.readLine(line)) {
        if (auto path = modulePathOfLine(line)) listing.addRow(platform::ansi::toUtf8(*path));
    }
    return true;
}

}  // namespace tlvx::analysis
