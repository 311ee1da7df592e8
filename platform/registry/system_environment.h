#pragma once
// The system-wide side of the Windows environment that the library reads:
// the Windows folder (the variable "WinDir") and the system's temporary
// folder as the registry keeps it.
//
// Linux has no Windows folder. Unless the environment sets WinDir, it is the
// folder "windows" beside the user's registry store (by default
// ~/.local/share/tallyvex/windows, beside $TLVX_REGISTRY when that is set),
// so that a private store brings a private Windows folder along. What
// the store installs there when it is made (system32/mlang.dll, the
// code-page descriptions) belongs to that store.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry_store.h"

namespace tlvx::platform::sysenv {

// The key of HKEY_LOCAL_MACHINE that holds the system-wide environment.
inline constexpr std::u16string_view kEnvironmentKey =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// The Windows folder of the store `storeFile`: "windows" beside it.
std::filesystem::path windowsFolderOf(const std::filesystem::path& storeFile);
// The Windows folder of the user's store, which the store fills when it is
// made.
std::filesystem::path installedWindowsFolder();
// The value of the environment variable `name` as a Windows program reads
// it: the process environment (UTF-8), except that WinDir, when not set,
// is installedWindowsFolder(). Empty when not set.
std::u16string variable(std::u16string_view name);

// The text with its %NAME% references expanded as Windows expands them:
// the process environment, and the names Windows always defines for the
// Windows folder (SystemRoot, windir) as variable(u"WinDir").
std::u16string expandStrings(std::u16string_view text);

// This system's temporary folder for everyone (P_tmpdir, "/tmp").
std::filesystem::path systemTempFolder();

// The system-wide TMP and TEMP values (REG_EXPAND_SZ, the system's
// temporary folder), as every store holds them.
std::vector<ValueWrite> environmentValues();

}  // namespace tlvx::platform::sysenv
