#pragma once
// The automation classes the platform itself serves (the stream component
// "ADODB.Stream"). They are reached through the same activation as any
// component module's classes: by class identifier, or by programmatic
// identifier, registered or not. regsvr registers them beside a module's own
// classes, with this library as their in-process server.

#include <string_view>

#include "include/tallyvex/ole_types.h"

namespace tlvx::platform::automation {

// The class factory of a platform class; REGDB_E_CLASSNOTREG for any other.
HRESULT platformClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept;
// The identifier of a platform class by programmatic identifier (without
// regard to case); false when there is none.
bool platformClassId(std::u16string_view progId, CLSID& clsid) noexcept;

// Writes / removes the registration of the platform classes (SELFREG_E_CLASS
// when the store cannot be written or read).
HRESULT registerPlatformClasses() noexcept;
HRESULT unregisterPlatformClasses() noexcept;

}  // namespace tlvx::platform::automation
