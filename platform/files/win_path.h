#pragma once
// Paths arrive in Windows notation ("Forms\frmMain.frm", "..\Common\Util.bas").
// They are turned into paths of this system: backslashes become slashes, the
// path is made absolute against the current directory and "." and ".." are
// collapsed by text, before any lookup, as Windows does ("VB Projects\..\x.bas"
// is "x.bas" even when no "VB Projects" folder exists). When the exact path
// does not exist, it is looked up component by component without regard to
// letter case, because the projects come from a case-insensitive file system.
// A drive letter ("C:\...") or a UNC path ("\\server\share") never resolves.
// A leading single separator means the root folder. A path whose collapsed
// form is longer than the system takes (PATH_MAX) names nothing. Time and
// memory stay proportional to the path's length, however many components
// it has.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::winpath {

// The lexical form: absolute, collapsed, no lookup. As Windows does, the
// last component loses its trailing dots and spaces ("x.bas. " is "x.bas")
// and an inner component one trailing dot ("Forms.\a" is "Forms\a").
// nullopt for an empty path, a drive-letter or UNC path, one holding a NUL
// character, or one too long to name anything.
std::optional<std::filesystem::path> lexical(std::u16string_view winPath);
std::optional<std::filesystem::path> lexical(std::string_view utf8WinPath);

// The existing file or folder the path names (exact name first, then without
// regard to case); nullopt when nothing matches.
std::optional<std::filesystem::path> resolve(std::u16string_view winPath);
std::optional<std::filesystem::path> resolve(std::string_view utf8WinPath);

// A path to create or write: the existing object when there is one, else the
// resolved parent folder joined with the last component as written. nullopt
// when the parent folder does not exist or the path is not usable.
std::optional<std::filesystem::path> resolveForWrite(std::u16string_view winPath);
std::optional<std::filesystem::path> resolveForWrite(std::string_view utf8WinPath);

// The name part of a path: everything after the last '\' or '/'.
std::u16string fileName(std::u16string_view winPath);
std::string fileName(std::string_view utf8WinPath);

// A native path as UTF-8 / UTF-16 text (file names on this system are UTF-8;
// a name that is not valid UTF-8 is read in the ANSI code page in use).
std::string toUtf8(const std::filesystem::path& path);
std::u16string toUtf16(const std::filesystem::path& path);

}  // namespace tlvx::platform::winpath
