#pragma once
// Class registration in the registry store: the keys and string values a
// component server writes for its classes (in HKEY_CLASSES_ROOT) and for the
// system services it brings along, written as one set and removed again
// without touching what others wrote.
//
// Removal takes away a value only while it still holds what registration
// writes there (so a newer registration of another copy of the server, or a
// value a third party changed, stays), and a key only when nothing else is
// left in it (so keys and values that others put beside ours stay, with the
// keys above them).

#include <string>
#include <vector>

#include "include/tallyvex/ole_types.h"
#include "platform/registry/registry_store.h"

namespace tlvx::platform {

// One string value, in a key below an owned key.
struct RegistrationValue {
    std::u16string subkey;  // relative to the owned key; empty for the key itself
    std::u16string name;    // empty for the default value
    std::u16string data;
    uint32_t type = regtype::Sz;  // REG_SZ or REG_EXPAND_SZ
};

// A key that belongs to the server, with everything registration writes
// beneath it.
struct RegistrationKey {
    std::u16string key;
    HRESULT failure;  // what a failure to write or remove it is reported as
    std::vector<RegistrationValue> values;
    uint32_t root = regroot::ClassesRoot;
};

using Registration = std::vector<RegistrationKey>;

// Writes everything in one transaction. S_OK, or the failure of the first
// key when the store cannot be written (nothing is written then); `reason`,
// when given, then gets the store's own words for why.
HRESULT writeRegistration(const Registration& registration, std::string* reason = nullptr) noexcept;
// S_OK, also when nothing was registered; `unreadable` when the store cannot
// be read, or the failure of a key that still holds something of ours.
HRESULT removeRegistration(const Registration& registration, HRESULT unreadable) noexcept;

}  // namespace tlvx::platform
