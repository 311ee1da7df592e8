#include "platform/files/shortcut_target.h"

#include <cstdlib>
#include <map>
#include <string>
#include <system_error>

#include "platform/files/text_stream.h"
#include "platform/files/win_path.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::shortcuts {
namespace {

namespace fs = std::filesystem;

// A desktop entry is a few hundred bytes; anything far beyond is no entry.
constexpr std::uint64_t kMaxEntrySize = std::uint64_t{1} << 20;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A value with the escapes of the format (\s \n \t \r \\) replaced.
std::string unescaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[i + 1]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += value.substr(i, 2);
                break;
        }
        ++i;
    }
    return out;
}

// The unlocalised keys of the [Desktop Entry] group (the first value of a
// key that occurs twice); nullopt when the text has no such group.
std::optional<std::map<std::string, std::string>> entryKeys(std::string_view text) {
    std::map<std::string, std::string> keys;
    bool found = false;
    bool inEntry = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trimmed(line);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            found = found || inEntry;
            continue;
        }
        const auto equals = line.find('=');
        if (!inEntry || equals == std::string_view::npos) continue;
        const std::string key(trimmed(line.substr(0, equals)));
        if (key.find('[') != std::string::npos) continue;  // a localised value
        keys.try_emplace(key, unescaped(trimmed(line.substr(equals + 1))));
    }
    if (!found) return std::nullopt;
    return keys;
}

std::string valueOf(const std::map<std::string, std::string>& keys, const char* key) {
    const auto it = keys.find(key);
    return it == keys.end() ? std::string() : it->second;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexDigit(text[i + 1]);
            const int low = hexDigit(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The local file a Link entry's URL names.
std::optional<fs::path> linkTarget(std::string_view url) {
    if (url.starts_with("/")) return fs::path(std::string(url));
    if (!url.starts_with("file:")) return std::nullopt;
    std::string_view rest = url.substr(5);
    if (rest.starts_with("//")) {
        // file://host/path: only this machine's files.
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && host != "localhost") return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with("/")) return std::nullopt;
    const auto query = rest.find_first_of("?#");
    return fs::path(percentDecoded(rest.substr(0, query)));
}

// The program of an Exec line: its first argument, unquoted.
std::string execProgram(std::string_view exec) {
    exec = trimmed(exec);
    std::string program;
    if (exec.starts_with("\"")) {
        for (std::size_t i = 1; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
            program += exec[i];
        }
        return program;
    }
    return std::string(exec.substr(0, exec.find_first_of(" \t")));
}

// A bare program name looked up in $PATH (an empty entry is the current
// folder).
std::optional<fs::path> fromSearchPath(const std::string& name) {
    const char* search = std::getenv("PATH");
    if (!search) return std::nullopt;
    std::string_view dirs = search;
    while (true) {
        const auto colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        const fs::path candidate = (dir.empty() ? fs::path(".") : fs::path(dir)) / name;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
        if (colon == std::string_view::npos) return std::nullopt;
        dirs.remove_prefix(colon + 1);
    }
}

std::optional<fs::path> applicationTarget(const std::map<std::string, std::string>& keys) {
    const std::string workingDir = valueOf(keys, "Path");
    const std::string program = execProgram(valueOf(keys, "Exec"));
    if (program.empty()) {
        if (workingDir.empty()) return std::nullopt;
        return fs::path(workingDir);
    }
    const fs::path path(program);
    if (path.is_absolute()) return path;
    if (program.find('/') == std::string::npos) {
        if (auto found = fromSearchPath(program)) return found;
    }
    if (!workingDir.empty()) return fs::path(workingDir) / path;
    return path;
}

std::optional<fs::path> desktopEntryTarget(const fs::path& file) {
    const std::string name = file.filename().string();
    if (name.size() <= 8 ||
        !unicode::equalIgnoringCase(std::string_view(name).substr(name.size() - 8), ".desktop")) {
        return std::nullopt;
    }
    const auto text = readAll(file, kMaxEntrySize);
    if (!text) return std::nullopt;
    const auto keys = entryKeys(*text);
    if (!keys) return std::nullopt;
    const std::string type = valueOf(*keys, "Type");
    if (type == "Link") return linkTarget(valueOf(*keys, "URL"));
    if (type == "Application") return applicationTarget(*keys);
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> shortcutTarget(std::u16string_view winPath) {
    try {
        // A link whose target is gone still names its target.
        std::optional<fs::path> file = winpath::resolve(winPath);
        if (!file) file = winpath::lexical(winPath);
        if (!file) return std::nullopt;
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(*file, ec))) {
            const fs::path target = fs::read_symlink(*file, ec);
            if (ec) return std::nullopt;
            return target.is_absolute() ? target : file->parent_path() / target;
        }
        if (!fs::exists(*file, ec)) return std::nullopt;
        return desktopEntryTarget(*file);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace tlvx::platform::shortcuts
