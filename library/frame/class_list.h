#pragma once
// The five classes of the library with their identifiers, names and class
// factories, for DllGetClassObject and for registration.

#include <span>

#include "include/tallyvex/ole_types.h"

namespace tlvx::library::frame {

struct ComponentClass {
    const char16_t* name;  // "TxtFile"; the ProgID is "Morcel_TLVX." + name
    const CLSID* clsid;
    const char16_t* interfaceName;  // "_TxtFile"
    const IID* iid;
    IClassFactory* factory;
};

std::span<const ComponentClass> componentClasses() noexcept;
// The class with this identifier; null for none of ours.
const ComponentClass* findClass(REFCLSID clsid) noexcept;

}  // namespace tlvx::library::frame
