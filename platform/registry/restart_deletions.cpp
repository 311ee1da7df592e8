#include "platform/registry/restart_deletions.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "platform/process/boot_id.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::restart {
namespace {

namespace fs = std::filesystem;

// REG_MULTI_SZ data: each string with its NUL, and one NUL more at the end.
RegistryValue multiString(const std::vector<Operation>& operations) {
    std::string data;
    const auto put = [&data](std::u16string_view text) {
        for (const char16_t c : text) {
            data += static_cast<char>(c & 0xFF);
            data += static_cast<char>(c >> 8);
        }
        data.append(2, '\0');
    };
    for (const auto& [path, newName] : operations) {
        put(path);
        put(newName);
    }
    put(u"");
    return RegistryValue{regtype::MultiSz, std::move(data)};
}

std::vector<Operation> operationsOf(const std::optional<RegistryValue>& value) {
    std::vector<Operation> operations;
    if (!value || value->type != regtype::MultiSz) return operations;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value->data.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(value->data[i]) |
                                       (static_cast<unsigned char>(value->data[i + 1]) << 8));
    }
    // The list's closing NUL; empty strings inside are new names of
    // deletions, so the strings are told apart by their count, not by an
    // empty one.
    if (units.ends_with(u'\0')) units.pop_back();
    std::vector<std::u16string> strings;
    std::size_t start = 0;
    while (start < units.size()) {
        std::size_t end = units.find(u'\0', start);
        if (end == std::u16string::npos) end = units.size();
        strings.push_back(units.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t i = 0; i < strings.size(); i += 2) {
        if (strings[i].empty()) continue;
        operations.emplace_back(strings[i], i + 1 < strings.size() ? strings[i + 1] : u"");
    }
    return operations;
}

std::string bootIdOf(const std::optional<RegistryValue>& value) {
    if (!value) return {};
    const auto text = value->toString();
    return text ? unicode::utf16ToUtf8(*text) : std::string();
}

bool carryOut(const Operation& operation) {
    const std::string path = unicode::utf16ToUtf8(operation.first);
    if (operation.second.empty()) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return false;
        return S_ISDIR(info.st_mode) ? ::rmdir(path.c_str()) == 0 : ::unlink(path.c_str()) == 0;
    }
    const std::string newName = unicode::utf16ToUtf8(operation.second);
    return ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, newName.c_str(), RENAME_NOREPLACE) == 0;
}

std::size_t carryOutAll(const std::vector<Operation>& operations) {
    std::size_t done = 0;
    for (const Operation& operation : operations) {
        if (carryOut(operation)) ++done;
    }
    return done;
}

const std::vector<std::u16string>& valueNames() {
    static const std::vector<std::u16string> names = {std::u16string(kOperationsValue),
                                                      std::u16string(kBootIdValue)};
    return names;
}

}  // namespace

bool scheduleDeletion(RegistryStore& store, const fs::path& file,
                      const std::string& bootId) noexcept {
    try {
        if (bootId.empty() || !file.is_absolute() || !unicode::isValidUtf8(file.native())) {
            return false;
        }
        const Operation deletion{unicode::utf8ToUtf16(file.native()), u""};
        std::vector<Operation> due;
        const StoreResult stored = store.updateValues(
            regroot::LocalMachine, kSessionManagerKey, valueNames(), [&](const auto& before) {
                std::vector<Operation> operations = operationsOf(before[0]);
                due.clear();
                if (!operations.empty() && bootIdOf(before[1]) != bootId) due.swap(operations);
                if (std::find(operations.begin(), operations.end(), deletion) == operations.end()) {
                    operations.push_back(deletion);
                }
                const std::u16string id = unicode::utf8ToUtf16(bootId);
                return std::vector<std::optional<RegistryValue>>{multiString(operations),
                                                                 RegistryValue::fromString(id)};
            });
        if (stored) carryOutAll(due);
        return static_cast<bool>(stored);
    } catch (...) {
        return false;
    }
}

std::vector<Operation> pendingOperations(const RegistryStore& store) noexcept {
    try {
        return operationsOf(
            store.getValue(regroot::LocalMachine, kSessionManagerKey, kOperationsValue));
    } catch (...) {
        return {};
    }
}

std::size_t carryOutDueOperations(RegistryStore& store, const std::string& bootId) noexcept {
    try {
        if (bootId.empty() || pendingOperations(store).empty()) return 0;
        std::vector<Operation> due;
        const StoreResult taken = store.updateValues(
            regroot::LocalMachine, kSessionManagerKey, valueNames(), [&](const auto& before) {
                due.clear();
                if (bootIdOf(before[1]) == bootId) return before;
                due = operationsOf(before[0]);
                return std::vector<std::optional<RegistryValue>>{std::nullopt, std::nullopt};
            });
        // Taken out of the store first: a crash from here on leaves a file
        // that should have gone, never deletes one twice.
        return taken ? carryOutAll(due) : 0;
    } catch (...) {
        return 0;
    }
}

std::size_t carryOutDueOperations() noexcept {
    try {
        RegistryStore store;
        if (pendingOperations(store).empty()) return 0;
        return carryOutDueOperations(store, currentBootId());
    } catch (...) {
        return 0;
    }
}

}  // namespace tlvx::platform::restart
