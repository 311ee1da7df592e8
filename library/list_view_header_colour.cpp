#include "library/list_view_header_colour.h"

#include "platform/desktop_windows.h"

namespace tlvx::library {

namespace {

// The view this thread coloured last, and whether it is coloured still.
// The colours themselves are kept by the header until it is restored.
struct HeaderColouring {
    int32_t handle = 0;
    bool active = false;
};

thread_local HeaderColouring colouring;

}  // namespace

void setListViewHeaderColour(int32_t handle, bool setUnset, int32_t bgColor,
                             int32_t foreColor) noexcept {
    if (setUnset) {
        if (colouring.active) return;
        if (!platform::desktop::colourHeader(handle, static_cast<uint32_t>(bgColor),
                                             static_cast<uint32_t>(foreColor)))
            return;
        colouring = {handle, true};
        return;
    }
    if (!colouring.active) return;
    platform::desktop::restoreHeader(colouring.handle);
    colouring.active = false;
}

}  // namespace tlvx::library
