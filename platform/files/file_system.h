#pragma once
// The file-system object: existence tests, folders, deletion, moving, the
// name part of a path. Paths are in Windows notation and resolved by
// win_path.h against the current directory.

#include <filesystem>
#include <string>
#include <string_view>

namespace tlvx::platform::fso {

bool fileExists(std::u16string_view winPath);    // a regular file (not a folder)
bool folderExists(std::u16string_view winPath);  // a folder
bool fileExists(std::string_view utf8WinPath);
bool folderExists(std::string_view utf8WinPath);
// Creates one folder (its parent must exist). False when it fails or exists.
bool createFolder(std::u16string_view winPath);
bool createFolder(std::string_view utf8WinPath);
// Forced deletion: also deletes a read-only file; a folder with its content.
// A symbolic link is deleted itself, never what it points to. The root
// folder is never deleted.
bool deleteFile(std::u16string_view winPath);
bool deleteFolder(std::u16string_view winPath);
// Moves a file; fails when the destination exists (also as a folder). A
// destination ending in a separator names the folder to move the file into.
bool moveFile(std::u16string_view source, std::u16string_view destination);
// The last component of the path that is not part of its drive ("C:",
// "\\server\share"); separators at the end are ignored ("a\b\" gives "b").
std::u16string getFileName(std::u16string_view winPath);

// Sets the process's current directory to the folder that holds the file or
// folder `winPath` names (its parent folder). False when the path does not
// resolve; the current directory then stays.
bool changeToParentFolder(std::string_view utf8WinPath);

}  // namespace tlvx::platform::fso
