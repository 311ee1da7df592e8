#include "platform/shell/system_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/files/text_stream.h"

namespace tlvx::platform::folders {
namespace {

namespace fs = std::filesystem;

fs::path homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) return user->pw_dir;
    return "/";
}

// An XDG base directory: the variable when it holds an absolute path, else
// the default below the home folder.
fs::path baseDirectory(const char* variable, std::string_view underHome) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    return homeFolder() / underHome;
}

// The first absolute entry of a colon-separated XDG list, else `fallback`.
fs::path firstOfList(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    std::string_view list = value ? value : "";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view entry = list.substr(0, colon);
        if (entry.starts_with('/')) return fs::path(entry);
        if (colon == std::string_view::npos) break;
        list.remove_prefix(colon + 1);
    }
    return fallback;
}

// A user directory from user-dirs.dirs ("XDG_MUSIC_DIR"), as xdg-user-dir
// gives it: the home folder when the file does not set it, or the desktop
// below the home folder for the desktop.
fs::path userDirectory(std::string_view name) {
    const fs::path home = homeFolder();
    const auto fallback = [&] { return name == "XDG_DESKTOP_DIR" ? home / "Desktop" : home; };
    const auto text = readAll(baseDirectory("XDG_CONFIG_HOME", ".config") / "user-dirs.dirs");
    if (!text) return fallback();
    std::string_view rest = *text;
    std::optional<fs::path> found;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (!line.starts_with(name) || line.substr(name.size()).find('=') != 0) continue;
        std::string_view value = line.substr(name.size() + 1);
        if (value.size() < 2 || value.front() != '"') continue;
        value.remove_prefix(1);
        // The value is a shell word in double quotes: a backslash keeps the
        // next character.
        std::string path;
        bool closed = false;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                path += value[++i];
            } else if (value[i] == '"') {
                closed = true;
                break;
            } else {
                path += value[i];
            }
        }
        if (!closed) continue;
        constexpr std::string_view kHome = "$HOME";
        if (path.starts_with(kHome) && (path.size() == kHome.size() || path[kHome.size()] == '/')) {
            found = home.string() + path.substr(kHome.size());
        } else if (path.starts_with('/')) {
            found = path;
        }
        // A later line for the same name wins, as the shell reading the file
        // would have it.
    }
    return found ? *found : fallback();
}

// The shell folder numbers (CSIDL_*) this system has a folder for.
enum : int {
    kDesktop = 0x00,
    kPrograms = 0x02,
    kPersonal = 0x05,
    kStartup = 0x07,
    kStartMenu = 0x0B,
    kMyMusic = 0x0D,
    kMyVideo = 0x0E,
    kDesktopDirectory = 0x10,
    kFonts = 0x14,
    kTemplates = 0x15,
    kCommonStartMenu = 0x16,
    kCommonPrograms = 0x17,
    kCommonStartup = 0x18,
    kAppData = 0x1A,
    kLocalAppData = 0x1C,
    kInternetCache = 0x20,
    kCommonAppData = 0x23,
    kWindows = 0x24,
    kSystem = 0x25,
    kProgramFiles = 0x26,
    kMyPictures = 0x27,
    kProfile = 0x28,
    kSystemX86 = 0x29,
    kProgramFilesX86 = 0x2A,
    kCommonTemplates = 0x2D,
};

}  // namespace

fs::path windowsFolder() {
    return "/usr";
}

fs::path systemFolder() {
    return "/usr/lib";
}

fs::path userDataHome() {
    return baseDirectory("XDG_DATA_HOME", ".local/share");
}

fs::path userCacheHome() {
    return baseDirectory("XDG_CACHE_HOME", ".cache");
}

fs::path programFilesFolder() {
    return "/opt";
}

namespace {

std::optional<fs::path> folderOf(int csidl) {
    switch (csidl) {
        case kDesktop:
        case kDesktopDirectory:
            return userDirectory("XDG_DESKTOP_DIR");
        case kPersonal:
            return userDirectory("XDG_DOCUMENTS_DIR");
        case kMyMusic:
            return userDirectory("XDG_MUSIC_DIR");
        case kMyVideo:
            return userDirectory("XDG_VIDEOS_DIR");
        case kMyPictures:
            return userDirectory("XDG_PICTURES_DIR");
        case kTemplates:
            return userDirectory("XDG_TEMPLATES_DIR");
        case kPrograms:
        case kStartMenu:
            return userDataHome() / "applications";
        case kStartup:
            return baseDirectory("XDG_CONFIG_HOME", ".config") / "autostart";
        case kAppData:
            return baseDirectory("XDG_CONFIG_HOME", ".config");
        case kLocalAppData:
            return userDataHome();
        case kInternetCache:
            return userCacheHome();
        case kProfile:
            return homeFolder();
        case kCommonAppData:
            return firstOfList("XDG_DATA_DIRS", "/usr/local/share");
        case kCommonStartMenu:
        case kCommonPrograms:
            return firstOfList("XDG_DATA_DIRS", "/usr/local/share") / "applications";
        case kCommonStartup:
            return firstOfList("XDG_CONFIG_DIRS", "/etc/xdg") / "autostart";
        case kCommonTemplates:
            return firstOfList("XDG_DATA_DIRS", "/usr/local/share") / "templates";
        case kFonts:
            return "/usr/share/fonts";
        case kWindows:
            return windowsFolder();
        case kSystem:
        case kSystemX86:
            return systemFolder();
        case kProgramFiles:
        case kProgramFilesX86:
            return programFilesFolder();
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<fs::path> specialFolder(int csidl) {
    auto folder = folderOf(csidl);
    if (!folder) return std::nullopt;
    std::string text = folder->lexically_normal().native();
    while (text.size() > 1 && text.ends_with('/')) text.pop_back();
    return fs::path(text);
}

std::optional<fs::path> userTempFolder() {
    const char* value = std::getenv("TMPDIR");
    fs::path folder = value && *value ? fs::path(value) : fs::path("/tmp");
    std::error_code ec;
    if (folder.is_relative()) folder = fs::absolute(folder, ec);
    struct stat info {};
    if (ec || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    folder = folder.lexically_normal();
    std::string text = folder.native();
    if (!text.ends_with('/')) text += '/';
    return fs::path(text);
}

int kernelMajorVersion() {
    utsname names{};
    if (::uname(&names) != 0) return 0;
    int major = 0;
    for (const char* c = names.release; *c >= '0' && *c <= '9' && major < 100000; ++c) {
        major = major * 10 + (*c - '0');
    }
    return major;
}

}  // namespace tlvx::platform::folders
