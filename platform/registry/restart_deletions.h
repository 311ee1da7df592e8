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
// deletion. A deletion removes a file, a link or an empty folder; a pair
// with a new name renames the file when nothing has that name.

#include <cstddef>
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

// A pending operation: the path, and the new name (empty: delete).
using Operation = std::pair<std::u16string, std::u16string>;

// Adds the deletion of `file` (an absolute path) for the next restart;
// `bootId` names the current run. Operations still pending from an earlier
// run are due and carried out first. False when nothing was added: no boot
// id, a relative path, a path that is no UTF-8 text (the store keeps
// UTF-16), or a store that cannot be written.
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

}  // namespace tlvx::platform::restart
