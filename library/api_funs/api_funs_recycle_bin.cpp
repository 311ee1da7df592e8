// APIFuns: the recycle bin (the user's trash) and deleting at the next
// start of the system.

#include <sys/stat.h>

#include "library/api_funs/api_funs.h"
#include "library/frame/continue_on_error.h"
#include "library/registry/registry.h"
#include "platform/files/win_path.h"
#include "platform/process/boot_id.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/restart_deletions.h"
#include "platform/shell/trash.h"

namespace tlvx::library {
namespace {

namespace trash = platform::trash;

struct DriveChoice {
    bool valid = true;
    std::optional<std::filesystem::path> drive;  // none: the whole trash
};

// An empty drive means all of them; one that names nothing is no drive.
DriveChoice driveOf(const std::u16string& drive) {
    if (drive.empty()) return {};
    const auto path = platform::winpath::resolve(drive);
    if (!path) return {false, std::nullopt};
    return {true, *path};
}

// A count as the classic record's 64-bit fields are told: numbers that do
// not fit 31 bits are "Over 2147483647".
std::u16string countText(std::uint64_t count) {
    if (count > 2147483647u) return u"Over 2147483647";
    const std::string digits = std::to_string(count);
    return std::u16string(digits.begin(), digits.end());
}

// The object a path names (a link itself, also one naming nothing), with
// the letter case it has on disk.
std::optional<std::filesystem::path> existingObject(const std::u16string& fileName) {
    auto path = platform::winpath::resolveForWrite(fileName);
    struct stat info {};
    if (!path || ::lstat(path->c_str(), &info) != 0) return std::nullopt;
    return path;
}

}  // namespace

std::u16string APIFuns::QueryRecycleBin(const std::u16string& drive) noexcept {
    return continueOnError(std::u16string(u"0|0"), [&] {
        const DriveChoice choice = driveOf(drive);
        std::optional<trash::Contents> found;
        if (choice.valid) found = trash::contents(trash::userTrash(), choice.drive);
        if (!found) return std::u16string(u"0|0");
        return countText(found->items) + u"|" + countText(found->bytes);
    });
}

void APIFuns::EmptyRecycleBin(int32_t, const std::u16string& drive) noexcept {
    continueOnError([&] {
        const DriveChoice choice = driveOf(drive);
        if (choice.valid) trash::emptyTrash(trash::userTrash(), choice.drive);
    });
}

void APIFuns::DelToRecycled(const std::u16string& fileName) noexcept {
    continueOnError([&] {
        if (const auto item = existingObject(fileName)) trash::moveToTrash(*item);
    });
}

void APIFuns::DelUntilReboot(const std::u16string& fileName) noexcept {
    continueOnError([&] {
        Registry registry;
        registry.WriteRegKey(platform::regtype::Dword, platform::regroot::LocalMachine,
                             std::u16string(platform::restart::kSessionManagerKey),
                             u"AllowProtectedRenames", u"1");
        const auto file = existingObject(fileName);
        if (!file) return;
        platform::RegistryStore store;
        platform::restart::scheduleDeletion(store, *file, platform::currentBootId());
    });
}

}  // namespace tlvx::library
