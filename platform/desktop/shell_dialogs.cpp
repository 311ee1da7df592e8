#include "platform/desktop/shell_dialogs.h"

#include "platform/desktop/loader.h"

namespace tlvx::platform::desktop {

std::optional<std::uint32_t> chooseColour(std::int32_t ownerHandle) noexcept {
    const TlvxDesktopApi* api = desktopApi();
    if (!api) return std::nullopt;
    std::uint32_t colour = 0;
    if (api->chooseColour(ownerHandle, &colour) != TlvxDialogAccepted) return std::nullopt;
    return colour;
}

std::u16string chooseFolder(std::int32_t ownerHandle, const std::u16string& prompt) noexcept {
    try {
        const TlvxDesktopApi* api = desktopApi();
        if (!api) return {};
        TextCollector collector;
        if (api->chooseFolder(ownerHandle, abiText(prompt), &TextCollector::add, &collector) !=
            TlvxDialogAccepted)
            return {};
        return std::move(collector).single();
    } catch (...) {
        return {};
    }
}

void showItemProperties(std::int32_t ownerHandle, const std::u16string& path) noexcept {
    if (const TlvxDesktopApi* api = desktopApi())
        api->showItemProperties(ownerHandle, abiText(path));
}

}  // namespace tlvx::platform::desktop
