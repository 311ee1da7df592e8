#include "platform/files/string_module.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/descriptors/regular_file.h"
#include "platform/files/file_replacement.h"

namespace tlvx::platform::strings {
namespace {

constexpr std::string_view kMagic = "TLVXSTRS";
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kEntrySize = 12;

void putUint32(std::string& out, std::uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((number >> shift) & 0xFF);
}

std::uint32_t uint32At(std::string_view bytes, std::size_t pos) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
        number =
            (number << 8) | static_cast<unsigned char>(bytes[pos + static_cast<std::size_t>(i)]);
    }
    return number;
}

// The whole content of an open file, at most `limit` bytes; nullopt when a
// read fails or the file holds more.
std::optional<std::string> readDescriptor(int fd, std::uint64_t sizeHint, std::size_t limit) {
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(sizeHint, limit)) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > limit) return std::nullopt;
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    if (size > limit) return std::nullopt;
    bytes.resize(size);
    return bytes;
}

constexpr std::size_t kMaxModuleSize = static_cast<std::size_t>(kMaxWholeFileSize);

// ---------------------------------------------------------------------------
// The process's loaded modules

// A file as it stands: the same object, not changed since (a number of an
// inode freed and given to a new file, or a file written in place, is
// another module).
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    time_t modifiedSeconds = 0;
    long modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct LoadedModule {
    std::shared_ptr<const StringTable> table;
    FileIdentity identity;
    std::uint64_t uses = 0;
};

class ModuleTable {
public:
    std::int32_t findAndUse(const FileIdentity& identity) {
        for (auto& [handle, module] : modules_) {
            if (module.identity == identity) {
                ++module.uses;
                return handle;
            }
        }
        return 0;
    }

    std::int32_t add(std::shared_ptr<const StringTable> table, const FileIdentity& identity) {
        const std::int32_t handle = nextHandle();
        if (handle != 0) modules_[handle] = LoadedModule{std::move(table), identity, 1};
        return handle;
    }

    std::shared_ptr<const StringTable> table(std::int32_t handle) const {
        const auto found = modules_.find(handle);
        return found == modules_.end() ? nullptr : found->second.table;
    }

    bool release(std::int32_t handle) {
        const auto found = modules_.find(handle);
        if (found == modules_.end()) return false;
        if (--found->second.uses == 0) modules_.erase(found);
        return true;
    }

private:
    // Handles are not reused while the process runs (until the numbers wrap
    // around), so a stale handle names nothing rather than another module.
    std::int32_t nextHandle() {
        for (std::int64_t tries = 0; tries < std::numeric_limits<std::int32_t>::max(); ++tries) {
            const std::int32_t candidate =
                last_ == std::numeric_limits<std::int32_t>::max() ? 1 : last_ + 1;
            last_ = candidate;
            if (!modules_.contains(candidate)) return candidate;
        }
        return 0;
    }

    std::unordered_map<std::int32_t, LoadedModule> modules_;
    std::int32_t last_ = 0;
};

std::mutex& tableLock() {
    static std::mutex lock;
    return lock;
}

ModuleTable& loadedModules() {
    static ModuleTable modules;
    return modules;
}

}  // namespace

std::string encodeStringModule(const StringTable& table) {
    std::string bytes(kMagic);
    putUint32(bytes, kVersion);
    putUint32(bytes, static_cast<std::uint32_t>(table.size()));
    std::uint64_t start = 0;
    for (const auto& [number, text] : table) {
        putUint32(bytes, number);
        putUint32(bytes, static_cast<std::uint32_t>(start));
        putUint32(bytes, static_cast<std::uint32_t>(text.size()));
        start += text.size();
    }
    for (const auto& entry : table) {
        for (const char16_t unit : entry.second) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
    }
    return bytes;
}

std::optional<StringTable> decodeStringModule(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || bytes.substr(0, kMagic.size()) != kMagic ||
        uint32At(bytes, 8) != kVersion) {
        return std::nullopt;
    }
    const std::uint64_t count = uint32At(bytes, 12);
    if (count > (bytes.size() - kHeaderSize) / kEntrySize) return std::nullopt;
    const std::size_t textArea = kHeaderSize + static_cast<std::size_t>(count) * kEntrySize;
    if ((bytes.size() - textArea) % 2 != 0) return std::nullopt;
    const std::uint64_t units = (bytes.size() - textArea) / 2;
    StringTable table;
    std::optional<std::uint32_t> previous;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeaderSize + i * kEntrySize;
        const std::uint32_t number = uint32At(bytes, entry);
        const std::uint64_t start = uint32At(bytes, entry + 4);
        const std::uint64_t length = uint32At(bytes, entry + 8);
        if ((previous && number <= *previous) || start + length > units) return std::nullopt;
        previous = number;
        std::u16string text(static_cast<std::size_t>(length), u'\0');
        const std::size_t at = textArea + static_cast<std::size_t>(start) * 2;
        for (std::size_t k = 0; k < text.size(); ++k) {
            text[k] =
                static_cast<char16_t>(static_cast<unsigned char>(bytes[at + 2 * k]) |
                                      (static_cast<unsigned char>(bytes[at + 2 * k + 1]) << 8));
        }
        table.emplace_hint(table.end(), number, std::move(text));
    }
    return table;
}

bool writeStringModule(const std::filesystem::path& file, const StringTable& table) noexcept {
    try {
        std::size_t units = 0;
        for (const auto& entry : table) units += entry.second.size();
        // Starts and lengths must fit their 32 bits, and the module its bound.
        if (units > std::numeric_limits<std::uint32_t>::max() ||
            kHeaderSize + table.size() * kEntrySize + units * 2 > kMaxModuleSize) {
            return false;
        }
        return replaceFileContent(file, encodeStringModule(table));
    } catch (...) {
        return false;
    }
}

std::optional<StringTable> readStringModule(const std::filesystem::path& file) noexcept {
    try {
        const auto opened = RegularFile::openForReading(file, kMaxModuleSize);
        if (!opened) return std::nullopt;
        const auto bytes = readDescriptor(opened.fd(), opened.size(), kMaxModuleSize);
        if (!bytes) return std::nullopt;
        return decodeStringModule(*bytes);
    } catch (...) {
        return std::nullopt;
    }
}

std::int32_t loadStringModule(const std::filesystem::path& file) noexcept {
    try {
        const auto opened = RegularFile::openForReading(file, kMaxModuleSize);
        if (!opened) return 0;
        struct stat info {};
        if (::fstat(opened.fd(), &info) != 0) return 0;
        const FileIdentity identity{info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec,
                                    info.st_mtim.tv_nsec};
        {
            const std::lock_guard lock(tableLock());
            if (const std::int32_t handle = loadedModules().findAndUse(identity)) return handle;
        }
        // Read outside the lock: a large module must not hold up the others.
        const auto bytes = readDescriptor(opened.fd(), opened.size(), kMaxModuleSize);
        if (!bytes) return 0;
        auto table = decodeStringModule(*bytes);
        if (!table) return 0;
        const std::lock_guard lock(tableLock());
        // Another thread may have loaded the same file meanwhile.
        if (const std::int32_t handle = loadedModules().findAndUse(identity)) return handle;
        return loadedModules().add(std::make_shared<const StringTable>(std::move(*table)),
                                   identity);
    } catch (...) {
        return 0;
    }
}

std::optional<std::u16string> moduleString(std::int32_t handle, std::uint32_t number) noexcept {
    try {
        std::shared_ptr<const StringTable> table;
        {
            const std::lock_guard lock(tableLock());
            table = loadedModules().table(handle);
        }
        if (!table) return std::nullopt;
        const auto found = table->find(number);
        if (found == table->end()) return std::nullopt;
        return found->second;
    } catch (...) {
        return std::nullopt;
    }
}

bool unloadStringModule(std::int32_t handle) noexcept {
    try {
        const std::lock_guard lock(tableLock());
        return loadedModules().release(handle);
    } catch (...) {
        return false;
    }
}

}  // namespace tlvx::platform::strings
