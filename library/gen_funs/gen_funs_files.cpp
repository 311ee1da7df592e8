// GetFilesQty: the files of a folder tree. Folders are identified by device
// and inode, so that a symbolic link to a folder counted already (a link to
// a parent, a loop of links) adds nothing and the count always ends.

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "library/frame/continue_on_error.h"
#include "library/gen_funs/gen_funs.h"
#include "platform/desktop/events.h"
#include "platform/files/win_path.h"

namespace tlvx::library {
namespace {

namespace fs = std::filesystem;

using FolderId = std::pair<dev_t, ino_t>;

std::optional<FolderId> folderId(const fs::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

// The files directly in `folder` (everything that is no folder, links
// followed), with its subfolders added to `pending`; nullopt when the folder
// cannot be listed.
std::optional<int64_t> countFolder(const fs::path& folder, std::vector<fs::path>& pending) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    int64_t files = 0;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            pending.push_back(it->path());
        } else {
            ++files;
        }
    }
    // A listing that breaks off half-way counts what it gave.
    return files;
}

int32_t countTree(const fs::path& top) {
    std::set<FolderId> seen;
    std::vector<fs::path> pending{top};
    int64_t total = 0;
    bool first = true;
    while (!pending.empty()) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        const auto id = folderId(folder);
        if (id && seen.insert(*id).second) {
            const auto files = countFolder(folder, pending);
            if (!files && first) return -1;
            total += files.value_or(0);
        } else if (first) {
            return -1;
        }
        first = false;
        platform::desktop::processPendingEvents();
    }
    return static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
}

bool isBlank(const std::u16string& text) {
    return text.find_first_not_of(u' ') == std::u16string::npos;
}

}  // namespace

int32_t GenFuns::GetFilesQty(const std::u16string& path) noexcept {
    return continueOnError(int32_t{-1}, [&]() -> int32_t {
        if (isBlank(path)) return -1;
        const auto folder = platform::winpath::resolve(path);
        std::error_code ec;
        if (!folder || !fs::is_directory(*folder, ec)) return -1;
        return countTree(*folder);
    });
}

}  // namespace tlvx::library
