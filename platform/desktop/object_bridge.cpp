// The desktop library's object bridge and event loop, for callers that must
// not depend on Qt.

#include "platform/desktop/object_bridge.h"
#include "platform/desktop/events.h"
#include "platform/desktop/loader.h"

namespace tlvx::platform::desktop {

void processPendingEvents() noexcept {
    if (const TlvxDesktopApi* api = desktopApi()) api->processPendingEvents();
}

}  // namespace tlvx::platform::desktop

HRESULT TlvxQtObjectDispatch(void* qobject, IDispatch** result) noexcept {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!qobject) return E_POINTER;
    const TlvxDesktopApi* api = tlvx::platform::desktop::desktopApi();
    if (!api) return RPC_E_WRONG_THREAD;
    *result = static_cast<IDispatch*>(api->objectDispatch(qobject));
    return *result ? S_OK : RPC_E_WRONG_THREAD;
}
