#pragma once
// The file-system questions the library and the program ask of paths in
// Windows notation, resolved by platform/files/win_path.h against the
// current directory: whether a file exists, and moving to a file's folder.

#include <string_view>

namespace tlvx::platform::fso {

// True when the path names a regular file (not a folder).
bool fileExists(std::u16string_view winPath);

// Sets the process's current directory to the folder that holds the file or
// folder `winPath` names (its parent folder). False when the path does not
// resolve; the current directory then stays.
bool changeToParentFolder(std::string_view utf8WinPath);

}  // namespace tlvx::platform::fso
