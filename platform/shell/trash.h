#pragma once
// The recycle bin of this system: the user's trash in the FreeDesktop.org
// trash layout, which file managers show and restore
// from. A trashed item lies in files/ under a name unique in the trash; its
// info file info/NAME.trashinfo says where it came from (Path, the absolute
// path percent-encoded) and when (DeletionDate, local time).
//
// Items always go to the user's own trash. One on another file system is
// copied there (folders with all they hold, links as links, permissions and
// times kept), synced to disk, and only then removed from its place; a copy
// that fails is taken back and the item stays where it was. No function
// throws.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tlvx::platform::trash {

// $XDG_DATA_HOME/Trash, ~/.local/share/Trash by default.
std::filesystem::path userTrash();

// Moves `item` into `trash` (made with its folders when missing, readable
// by the user alone). A link goes as the link, not what it names. False
// when nothing was moved: `item` does not exist, cannot be moved (no
// permission, a device or socket on another file system), is the trash or a
// folder that holds it, or already lies in the trash.
bool moveToTrash(const std::filesystem::path& item,
                 const std::filesystem::path& trash = userTrash()) noexcept;

struct Contents {
    std::uint64_t items = 0;  // trashed items, each counted once
    std::uint64_t bytes = 0;  // the sizes of all they hold
};

// What the trash holds: every item with its info file, or with `drive`
// only those that came from the file system `drive` lies on (as a Windows
// drive has a recycle bin of its own). nullopt when `drive` names nothing.
std::optional<Contents> contents(const std::filesystem::path& trash,
                                 const std::optional<std::filesystem::path>& drive) noexcept;

// Removes the items for good, each with its info file, or with `drive`
// only those from that file system. Without `drive` everything else in the
// trash goes too (files without info and info without files). An item that
// cannot be removed entirely stays in the trash with its info.
void emptyTrash(const std::filesystem::path& trash,
                const std::optional<std::filesystem::path>& drive) noexcept;

}  // namespace tlvx::platform::trash
