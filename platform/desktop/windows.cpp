#include "platform/desktop/windows.h"

#include "platform/desktop/loader.h"

namespace tlvx::platform::desktop {

namespace {

void deliver(std::int32_t handle, std::int32_t message, std::int32_t paramA,
             const MessageParam& paramB, bool posted) noexcept {
    const TlvxDesktopApi* api = desktopApi();
    if (!api) return;
    const std::u16string noText;
    const TlvxMessage abiMessage{
        handle,
        message,
        paramA,
        paramB.number.has_value(),
        paramB.number.value_or(0),
        paramB.text.has_value(),
        abiText(paramB.text ? *paramB.text : noText),
    };
    api->deliverMessage(&abiMessage, posted);
}

}  // namespace

void sendMessage(std::int32_t handle, std::int32_t message, std::int32_t paramA,
                 const MessageParam& paramB) noexcept {
    deliver(handle, message, paramA, paramB, false);
}

void postMessage(std::int32_t handle, std::int32_t message, std::int32_t paramA,
                 const MessageParam& paramB) noexcept {
    deliver(handle, message, paramA, paramB, true);
}

std::int32_t findTopLevelWindow(const std::u16string& title) noexcept {
    const TlvxDesktopApi* api = desktopApi();
    return api ? api->findTopLevelWindow(abiText(title)) : 0;
}

std::int32_t menuBarOf(std::int32_t windowHandle) noexcept {
    const TlvxDesktopApi* api = desktopApi();
    return api ? api->menuBarOf(windowHandle) : 0;
}

std::int32_t subMenuOf(std::int32_t menuHandle, std::int32_t position) noexcept {
    const TlvxDesktopApi* api = desktopApi();
    return api ? api->subMenuOf(menuHandle, position) : 0;
}

void checkRadioMenuItem(std::int32_t menuHandle, std::int32_t position) noexcept {
    if (const TlvxDesktopApi* api = desktopApi()) api->checkRadioMenuItem(menuHandle, position);
}

void acceptDroppedFiles(std::int32_t windowHandle, bool accept) noexcept {
    if (const TlvxDesktopApi* api = desktopApi()) api->acceptDroppedFiles(windowHandle, accept);
}

std::u16string takeFirstDroppedFile(std::int32_t dropHandle) noexcept {
    try {
        const TlvxDesktopApi* api = desktopApi();
        if (!api) return {};
        TextCollector collector;
        api->takeFirstDroppedFile(dropHandle, &TextCollector::add, &collector);
        return std::move(collector).single();
    } catch (...) {
        return {};
    }
}

bool colourHeader(std::int32_t viewHandle, std::uint32_t background, std::uint32_t text) noexcept {
    const TlvxDesktopApi* api = desktopApi();
    return api && api->colourHeader(viewHandle, background, text) != 0;
}

void restoreHeader(std::int32_t viewHandle) noexcept {
    if (const TlvxDesktopApi* api = desktopApi()) api->restoreHeader(viewHandle);
}

void showFileIcon(const std::u16string& path, std::int32_t smallTarget,
                  std::int32_t largeTarget) noexcept {
    if (const TlvxDesktopApi* api = desktopApi())
        api->showFileIcon(abiText(path), smallTarget, largeTarget);
}

}  // namespace tlvx::platform::desktop
