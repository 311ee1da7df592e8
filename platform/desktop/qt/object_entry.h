#pragma once
// The desktop library's entries for Qt objects as automation objects and
// for the event loop (see platform/desktop/desktop_abi.h).

namespace tlvx::desktop {

void* objectDispatchEntry(void* object) noexcept;
void processPendingEventsEntry() noexcept;

}  // namespace tlvx::desktop
