#include "platform/desktop/clipboard.h"

#include <new>

#include "platform/desktop/loader.h"

namespace tlvx::platform::desktop {

bool setClipboardText(const std::u16string& text) noexcept {
    const TlvxDesktopApi* api = desktopApi();
    return api && api->setClipboardText(abiText(text)) != 0;
}

std::u16string clipboardText() {
    const TlvxDesktopApi* api = desktopApi();
    if (!api) return {};
    TextCollector collector;
    api->clipboardText(&TextCollector::add, &collector);
    if (collector.failed) throw std::bad_alloc();
    return std::move(collector).single();
}

}  // namespace tlvx::platform::desktop
