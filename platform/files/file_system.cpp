#include "platform/files/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files/win_path.h"

namespace tlvx::platform::fso {

bool fileExists(std::u16string_view winPath) {
    const auto path = winpath::resolve(winPath);
    struct stat st;
    return path && ::stat(path->c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool changeToParentFolder(std::string_view utf8WinPath) {
    const auto path = winpath::resolve(utf8WinPath);
    if (!path) return false;
    const std::filesystem::path parent = path->parent_path();
    return ::chdir(parent.empty() ? "/" : parent.c_str()) == 0;
}

}  // namespace tlvx::platform::fso
