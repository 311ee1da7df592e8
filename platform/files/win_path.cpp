#include "platform/files/win_path.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/text/ansi_codepage.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::winpath {
namespace fs = std::filesystem;

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Windows drops trailing dots and spaces of the last component and one
// trailing dot of the others before it looks anything up.
std::string_view trimAsWindows(std::string_view part, bool last) {
    if (last) {
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
    } else if (part.size() >= 2 && part.back() == '.' && part[part.size() - 2] != '.') {
        part.remove_suffix(1);
    }
    return part;
}

// The path collapsed in one pass into one string, so that time and memory
// stay proportional to its length however many components it has. `out`
// holds "/a/b" while the path is built; the root is the empty string.
std::optional<std::string> lexicalString(std::string_view winPath) {
    if (winPath.empty() || winPath.find('\0') != std::string_view::npos) return std::nullopt;
    if (winPath.size() >= 2 && isAsciiLetter(winPath[0]) && winPath[1] == ':') return std::nullopt;
    if (winPath.size() >= 2 && isSeparator(winPath[0]) && isSeparator(winPath[1]))
        return std::nullopt;

    std::string out;
    if (!isSeparator(winPath[0])) {
        std::error_code ec;
        out = fs::current_path(ec).native();
        if (ec) return std::nullopt;
        while (!out.empty() && out.back() == '/') out.pop_back();
    }
    // The last component is trimmed as Windows trims a final name, unless a
    // separator follows it.
    std::size_t lastStart = winPath.size();
    const bool endsWithSeparator = isSeparator(winPath.back());
    if (!endsWithSeparator) {
        while (lastStart > 0 && !isSeparator(winPath[lastStart - 1])) --lastStart;
    }
    std::size_t start = 0;
    while (start < winPath.size()) {
        std::size_t end = start;
        while (end < winPath.size() && !isSeparator(winPath[end])) ++end;
        const std::string_view part = winPath.substr(start, end - start);
        const bool last = start == lastStart;
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            // Above the root stays at the root.
            out.resize(out.empty() ? 0 : out.rfind('/'));
            continue;
        }
        const std::string_view trimmed = trimAsWindows(part, last);
        if (trimmed.empty()) continue;
        out += '/';
        out += trimmed;
    }
    if (out.empty()) out = "/";
    return out;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Text of a native name: UTF-8 when it is valid UTF-8, else the ANSI code page
// (names copied from Windows media often are).
std::u16string nameText(std::string_view name) {
    return unicode::isValidUtf8(name) ? unicode::utf8ToUtf16(name) : ansi::toUtf16(name);
}

// Two names match without regard to case exactly when their keys are equal:
// the key is the upper-case form, as the comparison of names uses.
std::u16string nameKey(std::string_view name) {
    if (isAscii(name)) {
        std::u16string key(name.begin(), name.end());
        for (auto& c : key) {
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
        }
        return key;
    }
    return unicode::toUpper(nameText(name));
}

// One folder's names by key. A project may name tens of thousands of
// modules in one folder with the wrong letter case, so listings are kept and
// reused while the folder's modification time stays the same.
struct Listing {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    // Changes within the same clock tick as the listing may leave the
    // modification time unchanged; a listing taken less than two seconds after
    // the last change is therefore read again before a miss is believed.
    bool settled = false;
    std::uint64_t lastUse = 0;
    std::unordered_map<std::u16string, std::string> names;
};

class ListingCache {
public:
    // The real name in `folder` that matches `name` without regard to case.
    std::optional<std::string> find(const std::string& folder, std::string_view name) {
        const std::u16string key = nameKey(name);
        std::lock_guard lock(mutex_);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Listing* listing = current(folder, attempt > 0);
            if (!listing) return std::nullopt;
            const auto it = listing->names.find(key);
            if (it != listing->names.end()) {
                const std::string real = it->second;
                if (exists(joinChild(folder, real))) return real;
            } else if (listing->settled) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

private:
    static constexpr std::size_t kMaxFolders = 64;
    static constexpr std::size_t kMaxNames = 1'000'000;

    static std::string joinChild(const std::string& folder, std::string_view name) {
        std::string out = folder;
        if (out.back() != '/') out += '/';
        out += name;
        return out;
    }

    static bool sameTime(const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }

    // The folder's listing, read again when it changed or `reread` is set.
    const Listing* current(const std::string& folder, bool reread) {
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
        const auto it = cache_.find(folder);
        if (!reread && it != cache_.end() && it->second.device == st.st_dev &&
            it->second.inode == st.st_ino && sameTime(it->second.modified, st.st_mtim)) {
            it->second.lastUse = ++useCounter_;
            return &it->second;
        }
        if (it != cache_.end()) {
            totalNames_ -= it->second.names.size();
            cache_.erase(it);
        }
        auto listing = read(folder, st);
        if (!listing) return nullptr;
        listing->lastUse = ++useCounter_;
        if (listing->names.size() > kMaxNames) {
            // Too large to keep: serve this lookup only.
            oversized_ = std::move(listing);
            return oversized_.get();
        }
        totalNames_ += listing->names.size();
        auto& stored = cache_[folder] = std::move(*listing);
        evictBeyondBounds(folder);
        return &stored;
    }

    static std::unique_ptr<Listing> read(const std::string& folder, const struct stat& st) {
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) return nullptr;
        auto listing = std::make_unique<Listing>();
        listing->device = st.st_dev;
        listing->inode = st.st_ino;
        listing->modified = st.st_mtim;
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        listing->settled = now.tv_sec - st.st_mtim.tv_sec >= 2;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            auto [it, inserted] = listing->names.try_emplace(nameKey(name), name);
            // Names that differ only in case: the same one wins every time.
            if (!inserted && name < it->second) it->second = name;
        }
        ::closedir(dir);
        return listing;
    }

    void evictBeyondBounds(const std::string& keep) {
        while (cache_.size() > kMaxFolders || totalNames_ > kMaxNames) {
            auto oldest = cache_.end();
            for (auto it = cache_.begin(); it != cache_.end(); ++it) {
                if (it->first == keep) continue;
                if (oldest == cache_.end() || it->second.lastUse < oldest->second.lastUse) {
                    oldest = it;
                }
            }
            if (oldest == cache_.end()) return;
            totalNames_ -= oldest->second.names.size();
            cache_.erase(oldest);
        }
    }

    std::mutex mutex_;
    std::unordered_map<std::string, Listing> cache_;
    std::unique_ptr<Listing> oversized_;
    std::size_t totalNames_ = 0;
    std::uint64_t useCounter_ = 0;
};

ListingCache& listingCache() {
    static ListingCache cache;
    return cache;
}

// An absolute, collapsed path looked up: exactly, else component by
// component without regard to case.
std::optional<std::string> lookUp(const std::string& path) {
    if (exists(path)) return path;
    std::string current = "/";
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view part = std::string_view(path).substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        const std::size_t folderLength = current.size();
        if (current.back() != '/') current += '/';
        const std::size_t nameStart = current.size();
        current += part;
        if (!exists(current)) {
            const auto real = listingCache().find(current.substr(0, folderLength), part);
            if (!real) return std::nullopt;
            current.resize(nameStart);
            current += *real;
        }
    }
    return current;
}

// The lexical form of a path that can name something: none is longer than
// the system takes.
std::optional<std::string> usablePath(std::string_view winPath) {
    auto path = lexicalString(winPath);
    if (!path || path->size() >= PATH_MAX) return std::nullopt;
    return path;
}

std::optional<fs::path> resolveUtf8(std::string_view winPath) {
    const auto path = usablePath(winPath);
    if (!path) return std::nullopt;
    if (auto found = lookUp(*path)) return fs::path(std::move(*found));
    return std::nullopt;
}

std::optional<fs::path> resolveForWriteUtf8(std::string_view winPath) {
    const auto path = usablePath(winPath);
    if (!path) return std::nullopt;
    if (auto found = lookUp(*path)) return fs::path(std::move(*found));
    const std::size_t slash = path->rfind('/');
    const std::string parentText = slash == 0 ? "/" : path->substr(0, slash);
    const auto parent = lookUp(parentText);
    if (!parent) return std::nullopt;
    struct stat st;
    if (::stat(parent->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return fs::path(*parent) / path->substr(slash + 1);
}

}  // namespace

std::optional<fs::path> lexical(std::u16string_view winPath) {
    return lexical(std::string_view(unicode::utf16ToUtf8(winPath)));
}

std::optional<fs::path> lexical(std::string_view utf8WinPath) {
    if (auto path = usablePath(utf8WinPath)) return fs::path(std::move(*path));
    return std::nullopt;
}

std::optional<fs::path> resolve(std::u16string_view winPath) {
    return resolveUtf8(unicode::utf16ToUtf8(winPath));
}

std::optional<fs::path> resolve(std::string_view utf8WinPath) {
    return resolveUtf8(utf8WinPath);
}

std::optional<fs::path> resolveForWrite(std::u16string_view winPath) {
    return resolveForWriteUtf8(unicode::utf16ToUtf8(winPath));
}

std::optional<fs::path> resolveForWrite(std::string_view utf8WinPath) {
    return resolveForWriteUtf8(utf8WinPath);
}

std::u16string fileName(std::u16string_view winPath) {
    const std::size_t separator = winPath.find_last_of(u"\\/");
    return std::u16string(separator == std::u16string_view::npos ? winPath
                                                                 : winPath.substr(separator + 1));
}

std::string fileName(std::string_view utf8WinPath) {
    const std::size_t separator = utf8WinPath.find_last_of("\\/");
    return std::string(separator == std::string_view::npos ? utf8WinPath
                                                           : utf8WinPath.substr(separator + 1));
}

std::string toUtf8(const fs::path& path) {
    const std::string& native = path.native();
    if (unicode::isValidUtf8(native)) return native;
    // Only the components that are not UTF-8 are read in the ANSI code page.
    std::string out;
    std::size_t start = 0;
    while (start <= native.size()) {
        std::size_t end = native.find('/', start);
        if (end == std::string::npos) end = native.size();
        const std::string_view part = std::string_view(native).substr(start, end - start);
        out += unicode::isValidUtf8(part) ? std::string(part) : ansi::toUtf8(part);
        if (end < native.size()) out += '/';
        start = end + 1;
    }
    return out;
}

std::u16string toUtf16(const fs::path& path) {
    return unicode::utf8ToUtf16(toUtf8(path));
}

}  // namespace tlvx::platform::winpath
