#pragma once
// The desktop library libtlvxdesktop.so, as the platform library's desktop
// services reach it. It is opened from the folder of this library, only
// once Qt Widgets is in the process (before that no window can exist), and
// stays loaded for the life of the process (Qt libraries must not be
// unloaded). A failure to load it is final: the services then give their
// empty results.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/desktop/desktop_abi.h"

namespace tlvx::platform::desktop {

// The desktop library's table, or null where no window can be shown.
const TlvxDesktopApi* desktopApi() noexcept;

inline TlvxText abiText(const std::u16string& text) {
    return {text.data(), text.size()};
}

// Collects the texts the desktop library hands back. Nothing thrown may
// pass back into the desktop library, so running out of memory is
// remembered instead.
struct TextCollector {
    std::vector<std::u16string> texts;
    bool failed = false;

    static void add(void* context, const char16_t* data, std::size_t length) noexcept {
        auto* self = static_cast<TextCollector*>(context);
        try {
            self->texts.emplace_back(data, length);
        } catch (...) {
            self->failed = true;
        }
    }
    // The one text handed back, or the empty string.
    std::u16string single() && {
        return !failed && texts.size() == 1 ? std::move(texts.front()) : std::u16string();
    }
};

}  // namespace tlvx::platform::desktop
