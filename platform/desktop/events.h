#pragma once
// The window events of the calling thread, for long work that must keep
// the caller's windows responsive (Basic's DoEvents). Where the thread has
// no Qt application to handle them (no application, another thread, Qt not
// in the process) there is nothing to handle; Qt is never loaded for it.

namespace tlvx::platform::desktop {

// Handles the window events that are pending now, then returns.
void processPendingEvents() noexcept;

}  // namespace tlvx::platform::desktop
