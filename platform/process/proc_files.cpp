#include "platform/process/proc_files.h"

#include <charconv>
#include <cstdint>
#include <system_error>

#include "platform/descriptors/regular_file.h"
#include "platform/text/blanks.h"

namespace tlvx::platform::proc {
namespace {

// Far more than any of these files holds (a status file is 1.5 KiB).
constexpr std::uint64_t kMaxSmallFile = std::uint64_t{1} << 20;

}  // namespace

std::optional<std::string> readSmallFile(const std::filesystem::path& path) {
    return readAll(path, kMaxSmallFile);
}

std::string firstLineOf(const std::filesystem::path& path) {
    auto text = readSmallFile(path);
    if (!text) return {};
    const auto end = text->find('\n');
    if (end != std::string::npos) text->resize(end);
    return std::move(*text);
}

std::optional<std::string> statField(std::string_view statText, int field) {
    const auto open = statText.find('(');
    const auto close = statText.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    if (field == 1) {
        const auto pid = trimBlanks(statText.substr(0, open));
        if (pid.empty()) return std::nullopt;
        return std::string(pid);
    }
    if (field == 2) return std::string(statText.substr(open + 1, close - open - 1));
    if (field < 1) return std::nullopt;
    // After ") " come field 3 (the state) and on, one space between each.
    std::string_view rest = statText.substr(close + 1);
    if (!rest.starts_with(' ')) return std::nullopt;
    rest.remove_prefix(1);
    for (int at = 3; at < field; ++at) {
        const auto space = rest.find(' ');
        if (space == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(space + 1);
    }
    const auto end = rest.find_first_of(" \n");
    return std::string(rest.substr(0, end));
}

std::optional<std::string> processStatField(pid_t pid, int field) {
    const auto text = readSmallFile("/proc/" + std::to_string(pid) + "/stat");
    if (!text) return std::nullopt;
    return statField(*text, field);
}

std::optional<std::string> statusField(std::string_view statusText, std::string_view name) {
    while (!statusText.empty()) {
        const auto end = statusText.find('\n');
        const std::string_view line = statusText.substr(0, end);
        if (line.size() > name.size() && line.starts_with(name) && line[name.size()] == ':')
            return std::string(trimBlanks(line.substr(name.size() + 1)));
        if (end == std::string_view::npos) break;
        statusText.remove_prefix(end + 1);
    }
    return std::nullopt;
}

std::optional<std::string> ownStatusField(std::string_view name) {
    const auto text = readSmallFile("/proc/self/status");
    if (!text) return std::nullopt;
    return statusField(*text, name);
}

std::optional<std::filesystem::path> ownExecutable() {
    std::error_code ec;
    auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::nullopt;
    return program;
}

mode_t currentUmask() {
    const auto field = ownStatusField("Umask");
    unsigned int value = 0;
    if (!field || field->empty()) return 022;
    const auto [end, error] =
        std::from_chars(field->data(), field->data() + field->size(), value, 8);
    if (error != std::errc() || end != field->data() + field->size()) return 022;
    return static_cast<mode_t>(value & 0777);
}

}  // namespace tlvx::platform::proc
