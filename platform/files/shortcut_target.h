#pragma once
// Where a shortcut leads: the counterpart of the script host's shortcut
// object (CreateShortcut(...).TargetPath) for the shortcuts of a Linux
// desktop.
//
//  - A symbolic link leads where it points; a relative target is taken
//    against the link's folder.
//  - A desktop entry (a regular file named "*.desktop" with a
//    [Desktop Entry] group) of Type=Link leads to the local file of its URL
//    (a file: URL or an absolute path; another scheme leads to no file).
//    One of Type=Application leads to the program of its Exec line: an
//    absolute path as it stands, a relative one against its Path folder, a
//    bare name looked up in $PATH as the desktop does (then in its Path
//    folder). Without an Exec line it leads to its Path folder.
//
// Only the entry's unlocalised keys count; values are unescaped as the
// desktop entry format says.

#include <filesystem>
#include <optional>
#include <string_view>

namespace tlvx::platform::shortcuts {

// The target of the shortcut at `winPath` (Windows notation resolved by
// win_path.h); nullopt when it is no shortcut, cannot be read or leads to
// no local file. The target itself need not exist.
std::optional<std::filesystem::path> shortcutTarget(std::u16string_view winPath);

}  // namespace tlvx::platform::shortcuts
