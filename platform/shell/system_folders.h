#pragma once
// The folders Windows programs ask the system for, as this system has them:
// the system's own folders after the Filesystem Hierarchy Standard, the
// user's folders after the XDG base directory and user directory rules.
//
//   Windows folder ("C:\Windows")           /usr
//   system folder ("C:\Windows\System32")   /usr/lib
//   program files ("C:\Program Files")      /opt
//
// Paths come without a trailing separator, as Windows gives folders, except
// the temporary folder, which ends in '/' as Windows ends it in '\'.

#include <filesystem>
#include <optional>

namespace tlvx::platform::folders {

std::filesystem::path windowsFolder();
std::filesystem::path systemFolder();
std::filesystem::path programFilesFolder();

// The user's data folder: $XDG_DATA_HOME when it is absolute, else
// .local/share in the home folder ($HOME, or the password database's when
// HOME is unset or empty). Never a relative path.
std::filesystem::path userDataHome();

// The user's cache folder, for what may be thrown away: $XDG_CACHE_HOME when
// it is absolute, else .cache in the home folder (found as for the data
// folder). Never a relative path.
std::filesystem::path userCacheHome();

// The folder of a Windows shell folder number (CSIDL): the user's desktop,
// documents, music, pictures and videos folders from user-dirs.dirs, the
// base directories for application data, configuration and caches, the
// start menu's and autostart's folders, fonts, the system's folders above.
// nullopt for a number this system has no folder for (the virtual folders
// such as the recycle bin or the network, and unknown numbers).
// Number 35, the data of all users, is the first of $XDG_DATA_DIRS
// (/usr/local/share by default).
std::optional<std::filesystem::path> specialFolder(int csidl);

// The user's temporary folder: $TMPDIR when set and not empty, else /tmp,
// made absolute and ending in '/'; nullopt when it names no existing folder.
std::optional<std::filesystem::path> userTempFolder();

// The major version of the running kernel ("6.1.0-18-amd64" gives 6); 0 when
// it cannot be read.
int kernelMajorVersion();

}  // namespace tlvx::platform::folders
