// APIFuns: the system's folders and version, waiting, processes and the
// network-drive dialogs.

#include <chrono>
#include <thread>

#include "library/api_funs/api_funs.h"
#include "library/frame/continue_on_error.h"
#include "platform/files/win_path.h"
#include "platform/shell/processes.h"
#include "platform/shell/system_folders.h"

namespace tlvx::library {
namespace {

namespace folders = platform::folders;

// The buffers the classic calls fill; a path must fit with its NUL, a
// longer one leaves the result empty.
constexpr std::size_t kSysPathBuffer = 255;
constexpr std::size_t kSpecialFolderBuffer = 260;
constexpr std::size_t kTempPathBuffer = 1000;

// Not a shell folder number but the library's own code for the system
// folder.
constexpr int16_t kSystemFolderCode = 9966;

std::u16string fitting(const std::filesystem::path& folder, std::size_t buffer) {
    std::u16string text = platform::winpath::toUtf16(folder);
    if (text.size() >= buffer) text.clear();
    return text;
}

}  // namespace

int32_t APIFuns::GetWindowsVersion() noexcept {
    return continueOnError(int32_t{0}, [] { return int32_t{folders::kernelMajorVersion()}; });
}

void APIFuns::MapNetDrive(int32_t, int32_t) noexcept {
    // Network shares are mounted by the desktop's file manager or the
    // system's mount configuration; there is no dialog to show.
}

void APIFuns::DisconnectNetDrive(int32_t, int32_t) noexcept {}

void APIFuns::Wait(int32_t milliseconds) noexcept {
    // A negative time would be an endless or weeks-long wait on Windows,
    // where it turns into a huge unsigned number; here it waits not at all.
    if (milliseconds <= 0) return;
    continueOnError([&] { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); });
}

std::u16string APIFuns::GetSysPath(const std::u16string& classCode) noexcept {
    return continueOnError(std::u16string(), [&] {
        if (classCode == u"W") return fitting(folders::windowsFolder(), kSysPathBuffer);
        if (classCode == u"P") return fitting(folders::programFilesFolder(), kSysPathBuffer);
        return std::u16string();
    });
}

std::u16string APIFuns::GetSpecialFolder(int16_t id) noexcept {
    return continueOnError(std::u16string(), [&] {
        if (id == kSystemFolderCode) return fitting(folders::systemFolder(), kSpecialFolderBuffer);
        const auto folder = folders::specialFolder(id);
        return folder ? fitting(*folder, kSpecialFolderBuffer) : std::u16string();
    });
}

std::u16string APIFuns::GetUserTempPath() noexcept {
    return continueOnError(std::u16string(), [] {
        const auto folder = folders::userTempFolder();
        return folder ? fitting(*folder, kTempPathBuffer) : std::u16string();
    });
}

void APIFuns::KillProcess(const std::u16string& nameProcess) noexcept {
    if (nameProcess.empty()) return;
    continueOnError([&] { platform::processes::endProcessesEndingWith(nameProcess); });
}

}  // namespace tlvx::library
