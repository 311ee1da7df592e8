#pragma once
// Files deleted at the next start of the system, as MoveFileEx with
// MOVEFILE_DELAY_UNTIL_REBOOT has Windows do. Windows keeps such operations
// in the value PendingFileRenameOperations of the key
// "HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager" and
// carries them out early in the next boot. Here they are kept in the same
// place of the registry store, with the boot id of the run of the system
// they were asked for in (PendingFileRenameBootId), and carried out by the
// first program that loads the component library in a later run.
//
// PendingFileRenameOperations (REG_MULTI_SZ) holds pairs of strings, as
// Windows has it: a file's absolute path and its new name, empty for a
// deletion. The path is written with its folder in canonical form (no
// link, no "." or ".."). PendingFileRenameFolders (REG_MULTI_SZ) holds one
// string per pair, "device:inode" of the file's folder when it was queued;
// a program that knows only the pairs still reads them.
//
// Only scheduleDeletion makes entries, and the Registry class cannot write
// these values (isPendingListValue, holdsPendingList), so a list imported
// from a hive or written through the registry's methods is never carried
// out: carrying out takes only deletions whose folder identity was recorded.
// Each folder of the path is opened without following links, the last one
// must still be the folder recorded, and the file is removed relative to
// it; an entry that fails any of this is dropped. A deletion removes a
// file, a link or an empty folder; renames are never carried out.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry/registry_store.h"

namespace tlvx::platform::restart {

inline constexpr std::u16string_view kSessionManagerKey =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr std::u16string_view kOperationsValue = u"PendingFileRenameOperations";
inline constexpr std::u16string_view kBootIdValue = u"PendingFileRenameBootId";
inline constexpr std::u16string_view kFoldersValue = u"PendingFileRenameFolders";

// A pending operation: the path, and the new name (empty: delete).
using Operation = std::pair<std::u16string, std::u16string>;

// Adds the deletion of `file` (an absolute path) for the next restart;
// `bootId` names the current run. Operations still pending from an earlier
// run are due and carried out first. False when nothing was added: no boot
// id, a relative path, a path without a file name, a folder that cannot be
// opened, a path that is no UTF-8 text (the store keeps UTF-16), or a store
// that cannot be written.
bool scheduleDeletion(RegistryStore& store, const std::filesystem::path& file,
                      const std::string& bootId) noexcept;

// The operations waiting in the store, in the order they were asked for.
std::vector<Operation> pendingOperations(const RegistryStore& store) noexcept;

// Carries out the operations asked for in another run than `bootId` and
// removes them from the store; the number carried out. While nothing is
// pending this is one look-up of the store.
std::size_t carryOutDueOperations(RegistryStore& store, const std::string& bootId) noexcept;
// The same for the user's store and the current run.
std::size_t carryOutDueOperations() noexcept;

// True when a write of the value `name` of the key `path` under `root`
// would write the pending list, its folders or its boot mark: these are
// refused to every writer but this file. Names compare as the store
// compares them; empty path components are ignored.
bool isPendingListValue(uint32_t root, std::u16string_view path, std::u16string_view name);
// True when `path` under `root` names the key holding the pending list or
// one of its parents (the root included): replacing or removing that key
// would change the list.
bool holdsPendingList(uint32_t root, std::u16string_view path);

}  // namespace tlvx::platform::restart
