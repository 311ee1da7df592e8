#include "platform/desktop/loader.h"

#include <dlfcn.h>

#include <filesystem>

#ifndef TLVX_QT_WIDGETS_SONAME
#error "TLVX_QT_WIDGETS_SONAME must name the Qt Widgets library the desktop library uses"
#endif

namespace tlvx::platform::desktop {

namespace {

constexpr const char* kDesktopLibrary = "libtlvxdesktop.so";

// A QApplication can only exist where Qt Widgets is loaded.
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

const TlvxDesktopApi* loadDesktopApi() noexcept try {
    const auto folder = platformLibraryFolder();
    if (folder.empty()) return nullptr;
    void* library = dlopen((folder / kDesktopLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    const auto entry = reinterpret_cast<TlvxDesktopEntry>(dlsym(library, kTlvxDesktopEntry));
    const TlvxDesktopApi* api = entry ? entry() : nullptr;
    // Every entry of the table is filled; a shorter table is a stale library.
    const bool usable =
        api && api->version == kTlvxDesktopAbiVersion && api->size >= sizeof(TlvxDesktopApi);
    return usable ? api : nullptr;
} catch (...) {
    return nullptr;
}

}  // namespace

const TlvxDesktopApi* desktopApi() noexcept {
    if (!qtWidgetsLoaded()) return nullptr;
    static const TlvxDesktopApi* const api = loadDesktopApi();
    return api;
}

}  // namespace tlvx::platform::desktop
