#pragma once
// The system's character-set database, the key MIME\Database\Codepage of
// HKEY_CLASSES_ROOT, as registration fills it: one key per Windows code
// page that this machine's iconv converts, named by the code page's number, with
//
//   BodyCharset   the charset's name in mail and web bodies ("windows-1252")
//   Description   a reference into the string module mlang.dll of the
//                 Windows folder: "@%SystemRoot%\system32\mlang.dll,-N",
//                 where N is the code page's number and string N of the
//                 module its description ("Western European (Windows)")
//
// Keys are written in ascending order of the numbers, which is the order
// the store lists them in. Registration writes the string module to
// system32/mlang.dll of the installed Windows folder (system_environment.h).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry/class_registration.h"

namespace tlvx::platform::codepages {

inline constexpr std::u16string_view kDatabaseKey = u"MIME\\Database\\Codepage";

struct CodePage {
    std::uint32_t number;
    std::u16string bodyCharset;
    std::u16string description;
};

// The code pages this machine's iconv converts, ascending by number.
std::vector<CodePage> availableCodePages();

// The database's keys and values for `codePages`.
RegistrationKey databaseRegistration(const std::vector<CodePage>& codePages, HRESULT failure);

// The string module of the descriptions, in the installed Windows folder.
std::filesystem::path stringModuleFile();
// Writes the descriptions of `codePages` as that module (replacing it
// whole); false when it cannot be written.
bool installStringModule(const std::vector<CodePage>& codePages) noexcept;
// Removes the module while it still holds what installStringModule wrote
// for `codePages`; true when it is gone or was never there or holds
// something else now.
bool removeStringModule(const std::vector<CodePage>& codePages) noexcept;

}  // namespace tlvx::platform::codepages
