#pragma once
// The desktop library libtlvxdesktop.so, as the platform library's desktop
// services reach it: opened from the folder of this library once Qt Widgets
// is in the process (before that there can be no window), and kept for the
// life of the process, since Qt libraries must not be unloaded. A failure
// to open it is final; the services then give their empty results.

#include "platform/desktop/desktop_abi.h"

namespace tlvx::platform::desktop {

// The desktop library's table; null where there can be no window.
const TlvxDesktopApi* desktopApi() noexcept;

}  // namespace tlvx::platform::desktop
