#include "library/api_funs/list_view_header_colour.h"

#include <pthread.h>

#include <cstdint>

#include "platform/desktop/windows.h"

namespace tlvx::library {

namespace {

// The view this thread coloured last, and whether it is coloured still.
// The colours themselves are kept by the header until it is restored.
struct HeaderColouring {
    int32_t handle = 0;
    bool active = false;
};

// The state lives in a thread-specific value of its own, the two fields
// packed into the value itself: nothing to allocate or free, and no
// thread-local storage of this module (which is loaded at run time).
pthread_key_t colouringKey() {
    static const pthread_key_t key = [] {
        pthread_key_t created{};
        pthread_key_create(&created, nullptr);
        return created;
    }();
    return key;
}

static_assert(sizeof(std::uintptr_t) >= 8, "the handle and the flag must fit a pointer");
constexpr std::uintptr_t kActive = std::uintptr_t{1} << 32;

HeaderColouring colouringOfThisThread() {
    const auto packed = reinterpret_cast<std::uintptr_t>(pthread_getspecific(colouringKey()));
    return {static_cast<int32_t>(static_cast<uint32_t>(packed & 0xFFFFFFFFu)),
            (packed & kActive) != 0};
}

void keepForThisThread(const HeaderColouring& colouring) {
    const std::uintptr_t packed =
        static_cast<uint32_t>(colouring.handle) | (colouring.active ? kActive : 0);
    pthread_setspecific(colouringKey(), reinterpret_cast<void*>(packed));
}

}  // namespace

void setListViewHeaderColour(int32_t handle, bool setUnset, int32_t bgColor,
                             int32_t foreColor) noexcept {
    HeaderColouring colouring = colouringOfThisThread();
    if (setUnset) {
        if (colouring.active) return;
        if (!platform::desktop::colourHeader(handle, static_cast<uint32_t>(bgColor),
                                             static_cast<uint32_t>(foreColor)))
            return;
        keepForThisThread({handle, true});
        return;
    }
    if (!colouring.active) return;
    platform::desktop::restoreHeader(colouring.handle);
    colouring.active = false;
    keepForThisThread(colouring);
}

}  // namespace tlvx::library
