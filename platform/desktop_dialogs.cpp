// The loader of the desktop library. A QApplication can only exist where
// Qt Widgets is loaded, so until it is, a dialog cannot be shown and
// nothing is loaded; once it is, libtlvxdesktop.so is opened from the
// folder of this library and asked through its C entry. It stays loaded
// for the life of the process (Qt libraries must not be unloaded), and a
// failure to load it is final: the dialogs then cannot be shown.

#include "platform/desktop_dialogs.h"

#include <dlfcn.h>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "platform/desktop/desktop_abi.h"

#ifndef TLVX_QT_WIDGETS_SONAME
#error "TLVX_QT_WIDGETS_SONAME must name the Qt Widgets library the desktop library uses"
#endif

namespace tlvx::platform::desktop {

namespace {

constexpr const char* kDesktopLibrary = "libtlvxdesktop.so";

bool qtWidgetsLoaded() {
    void* handle = dlopen(TLVX_QT_WIDGETS_SONAME, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return false;
    dlclose(handle);  // only drops the count RTLD_NOLOAD added
    return true;
}

// The folder of the shared library this code is in.
std::filesystem::path platformLibraryFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&platformLibraryFolder), &info) || !info.dli_fname)
        return {};
    std::error_code ec;
    const auto library = std::filesystem::absolute(info.dli_fname, ec);
    return ec ? std::filesystem::path() : library.parent_path();
}

const TlvxDesktopApi* loadDesktopApi() {
    const auto folder = platformLibraryFolder();
    if (folder.empty()) return nullptr;
    void* library = dlopen((folder / kDesktopLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    const auto entry = reinterpret_cast<TlvxDesktopEntry>(dlsym(library, kTlvxDesktopEntry));
    const TlvxDesktopApi* api = entry ? entry() : nullptr;
    const bool usable = api && api->version == kTlvxDesktopAbiVersion &&
                        api->size >= sizeof(TlvxDesktopApi) && api->openFileDialog &&
                        api->saveFileDialog;
    return usable ? api : nullptr;
}

// The desktop library's table, or null when a dialog cannot be shown.
const TlvxDesktopApi* desktopApi() {
    if (!qtWidgetsLoaded()) return nullptr;
    static const TlvxDesktopApi* const api = loadDesktopApi();
    return api;
}

TlvxText abiText(const std::u16string& text) {
    return {text.data(), text.size()};
}

// Collects the paths the dialog hands back. Nothing thrown may pass back
// into the desktop library, so running out of memory is remembered instead.
struct PathCollector {
    std::vector<std::u16string> paths;
    bool failed = false;

    static void add(void* context, const char16_t* data, std::size_t length) noexcept {
        auto* self = static_cast<PathCollector*>(context);
        try {
            self->paths.emplace_back(data, length);
        } catch (...) {
            self->failed = true;
        }
    }
};

}  // namespace

OpenFileResult openFileDialog(const OpenFileRequest& request) noexcept {
    OpenFileResult result;
    try {
        const TlvxDesktopApi* api = desktopApi();
        if (!api) return result;
        const TlvxOpenFileRequest abiRequest{
            request.ownerHandle,         abiText(request.title), abiText(request.filterPairs),
            abiText(request.initialDir), request.multiSelect,    request.fileMustExist,
            request.pathMustExist,
        };
        PathCollector collector;
        const TlvxDialogOutcome outcome =
            api->openFileDialog(&abiRequest, &PathCollector::add, &collector);
        result.shown = outcome != TlvxDialogNotShown;
        result.accepted =
            outcome == TlvxDialogAccepted && !collector.failed && !collector.paths.empty();
        if (result.accepted) result.paths = std::move(collector.paths);
    } catch (...) {
        result.accepted = false;
    }
    return result;
}

SaveFileResult saveFileDialog(const SaveFileRequest& request) noexcept {
    SaveFileResult result;
    try {
        const TlvxDesktopApi* api = desktopApi();
        if (!api) return result;
        const TlvxSaveFileRequest abiRequest{
            request.ownerHandle,           abiText(request.title),
            abiText(request.proposedName), abiText(request.filterPairs),
            abiText(request.initialDir),   abiText(request.defaultExtension),
            request.promptOverwrite,       request.pathMustExist,
        };
        PathCollector collector;
        const TlvxDialogOutcome outcome =
            api->saveFileDialog(&abiRequest, &PathCollector::add, &collector);
        result.shown = outcome != TlvxDialogNotShown;
        result.accepted =
            outcome == TlvxDialogAccepted && !collector.failed && collector.paths.size() == 1;
        if (result.accepted) result.path = std::move(collector.paths.front());
    } catch (...) {
        result.accepted = false;
    }
    return result;
}

}  // namespace tlvx::platform::desktop
