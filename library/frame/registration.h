#pragma once
// Self-registration of the module in the registry store (HKEY_CLASSES_ROOT):
// the type library entry, the five classes with the module as in-process
// server (threading model Apartment), their interfaces and a ProgID per
// class ("Morcel_TLVX.TxtFile"). Besides, what the classes read of the
// system: the character-set database (platform/registry/codepage_database.h, with its string
// module) and the system-wide TMP and TEMP (platform/registry/system_environment.h).
//
// Unregistration removes what registration wrote and nothing else: a value
// only while it still holds what registration writes there (so a newer
// registration of another copy of the module, or a value a third party
// changed, stays), and a key only when nothing else is left in it (so keys
// and values that others put beside ours stay, with the keys above them).

#include <filesystem>

#include "include/tallyvex/ole_types.h"

namespace tlvx::library::frame {

inline constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

// S_OK, or SELFREG_E_TYPELIB / SELFREG_E_CLASS when the store could not be
// written (what had been written is taken back then).
HRESULT registerServer(const std::filesystem::path& module) noexcept;
// S_OK, also when nothing was registered; SELFREG_E_TYPELIB /
// SELFREG_E_CLASS when the store could not be read or something of ours
// is still there afterwards.
HRESULT unregisterServer(const std::filesystem::path& module) noexcept;

}  // namespace tlvx::library::frame
