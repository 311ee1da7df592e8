#include "platform/registry/restart_deletions.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "platform/descriptors/file_descriptor.h"
#include "platform/process/boot_id.h"
#include "platform/registry/store_keys.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::restart {
namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> stringsOf(const std::optional<RegistryValue>& value) {
    return value ? value->toStrings() : std::vector<std::u16string>();
}

RegistryValue operationList(const std::vector<Operation>& operations) {
    std::vector<std::u16string> strings;
    for (const auto& [path, newName] : operations) {
        strings.push_back(path);
        strings.push_back(newName);
    }
    return RegistryValue::fromStrings(strings);
}

std::vector<Operation> operationsOf(const std::optional<RegistryValue>& value) {
    const std::vector<std::u16string> strings = stringsOf(value);
    std::vector<Operation> operations;
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

std::u16string identityText(const struct stat& info) {
    const std::string text = std::to_string(static_cast<unsigned long long>(info.st_dev)) + ':' +
                             std::to_string(static_cast<unsigned long long>(info.st_ino));
    return std::u16string(text.begin(), text.end());
}

// The folder `folder` (absolute, already in canonical form), opened one
// component at a time without following a link; nothing held when a
// component is missing, is a link or is no folder.
FileDescriptor openFolderWithoutLinks(const std::string& folder) {
    if (folder.empty() || folder.front() != '/') return {};
    FileDescriptor current(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::size_t start = 1;
    while (current && start < folder.size()) {
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos) end = folder.size();
        const std::string name = folder.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        if (name == "." || name == "..") return {};
        current = FileDescriptor(
            ::openat(current.get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return current;
}

std::optional<std::u16string> folderIdentity(const FileDescriptor& folder) {
    struct stat info {};
    if (!folder || ::fstat(folder.get(), &info) != 0) return std::nullopt;
    return identityText(info);
}

// Removes the file of a deletion when its folder is still the one recorded
// and no link leads there; false when the entry is dropped or the removal
// fails. Renames are never carried out.
bool carryOut(const Operation& operation, std::u16string_view identity) {
    if (!operation.second.empty() || identity.empty()) return false;
    const fs::path path(unicode::utf16ToUtf8(operation.first));
    const std::string name = path.filename().native();
    if (!path.is_absolute() || name.empty() || name == "." || name == "..") return false;
    const FileDescriptor folder = openFolderWithoutLinks(path.parent_path().native());
    if (folderIdentity(folder) != std::u16string(identity)) return false;
    struct stat info {};
    if (::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    return ::unlinkat(folder.get(), name.c_str(), S_ISDIR(info.st_mode) ? AT_REMOVEDIR : 0) == 0;
}

std::size_t carryOutAll(const std::vector<Operation>& operations,
                        const std::vector<std::u16string>& identities) {
    // A list whose identities do not match it one for one is not ours.
    if (identities.size() != operations.size()) return 0;
    std::size_t done = 0;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        if (carryOut(operations[i], identities[i])) ++done;
    }
    return done;
}

const std::vector<std::u16string>& valueNames() {
    static const std::vector<std::u16string> names = {std::u16string(kOperationsValue),
                                                      std::u16string(kBootIdValue),
                                                      std::u16string(kFoldersValue)};
    return names;
}

// The deletion as it is queued: the file's folder in canonical form, and
// that folder's identity; nullopt when the folder cannot be opened.
std::optional<std::pair<Operation, std::u16string>> queuedDeletion(const fs::path& file) {
    const fs::path name = file.filename();
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    std::error_code error;
    const fs::path folder = fs::canonical(file.parent_path(), error);
    if (error) return std::nullopt;
    const auto identity = folderIdentity(openFolderWithoutLinks(folder.native()));
    const fs::path path = folder / name;
    if (!identity || !unicode::isValidUtf8(path.native())) return std::nullopt;
    return std::pair{Operation{unicode::utf8ToUtf16(path.native()), u""}, *identity};
}

// True when `path` under `root` names the key of the pending list (`whole`)
// or, when not `whole`, that key or one of its parents.
bool isSessionManagerPrefix(uint32_t root, std::u16string_view path, bool whole) {
    if (root != regroot::LocalMachine) return false;
    const auto names = store::splitPath(path);
    const auto target = store::splitPath(kSessionManagerKey);
    if (!names || !target || names->size() > target->size()) return false;
    if (whole && names->size() != target->size()) return false;
    for (std::size_t i = 0; i < names->size(); ++i) {
        if (store::folded((*names)[i]) != store::folded((*target)[i])) return false;
    }
    return true;
}

}  // namespace

bool scheduleDeletion(RegistryStore& store, const fs::path& file,
                      const std::string& bootId) noexcept {
    try {
        if (bootId.empty() || !file.is_absolute() || !unicode::isValidUtf8(file.native())) {
            return false;
        }
        const auto queued = queuedDeletion(file);
        if (!queued) return false;
        // Named, not bound: a lambda below uses them.
        const Operation& deletion = queued->first;
        const std::u16string& identity = queued->second;
        std::vector<Operation> due;
        std::vector<std::u16string> dueIdentities;
        const StoreResult stored = store.updateValues(
            regroot::LocalMachine, kSessionManagerKey, valueNames(), [&](const auto& before) {
                std::vector<Operation> operations = operationsOf(before[0]);
                std::vector<std::u16string> identities = stringsOf(before[2]);
                // Entries without their identity (written by others, or by
                // an older program) are never carried out.
                if (identities.size() != operations.size()) identities.clear();
                identities.resize(operations.size());
                due.clear();
                dueIdentities.clear();
                if (!operations.empty() && bootIdOf(before[1]) != bootId) {
                    due.swap(operations);
                    dueIdentities.swap(identities);
                }
                const auto found = std::find(operations.begin(), operations.end(), deletion);
                if (found == operations.end()) {
                    operations.push_back(deletion);
                    identities.push_back(identity);
                } else {
                    identities[static_cast<std::size_t>(found - operations.begin())] = identity;
                }
                const std::u16string id = unicode::utf8ToUtf16(bootId);
                return std::vector<std::optional<RegistryValue>>{
                    operationList(operations), RegistryValue::fromString(id),
                    RegistryValue::fromStrings(identities)};
            });
        if (stored) carryOutAll(due, dueIdentities);
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
        std::vector<std::u16string> identities;
        const StoreResult taken = store.updateValues(
            regroot::LocalMachine, kSessionManagerKey, valueNames(), [&](const auto& before) {
                due.clear();
                identities.clear();
                if (bootIdOf(before[1]) == bootId) return before;
                due = operationsOf(before[0]);
                identities = stringsOf(before[2]);
                return std::vector<std::optional<RegistryValue>>{std::nullopt, std::nullopt,
                                                                 std::nullopt};
            });
        // Taken out of the store first: a crash from here on leaves a file
        // that should have gone, never deletes one twice.
        return taken ? carryOutAll(due, identities) : 0;
    } catch (...) {
        return 0;
    }
}

std::size_t carryOutDueOperations() noexcept {
    try {
        RegistryStore store;
        // Nothing was ever queued in a store nobody wrote to.
        if (!store.hasBeenWritten() || pendingOperations(store).empty()) return 0;
        return carryOutDueOperations(store, currentBootId());
    } catch (...) {
        return 0;
    }
}

bool isPendingListValue(uint32_t root, std::u16string_view path, std::u16string_view name) {
    if (!isSessionManagerPrefix(root, path, true)) return false;
    const std::string folded = store::folded(name);
    return std::any_of(
        valueNames().begin(), valueNames().end(),
        [&](const std::u16string& reserved) { return store::folded(reserved) == folded; });
}

bool holdsPendingList(uint32_t root, std::u16string_view path) {
    return isSessionManagerPrefix(root, path, false);
}

}  // namespace tlvx::platform::restart
