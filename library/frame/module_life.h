#pragma once
// What keeps the component module loaded: live objects (class factories
// handed out count as objects) and LockServer locks. DllCanUnloadNow asks
// canUnload(). The counters are plain atomics with constant initialisation,
// so loading the module runs none of our code.

namespace tlvx::library::frame {

void objectCreated() noexcept;
void objectDestroyed() noexcept;
void serverLocked() noexcept;
// False when there was no lock to release (the count stays at zero).
bool serverUnlocked() noexcept;
bool canUnload() noexcept;

}  // namespace tlvx::library::frame
