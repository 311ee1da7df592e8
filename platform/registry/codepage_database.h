#pragma once
// The system's character-set database, the key MIME\Database\Codepage of
// HKEY_CLASSES_ROOT, as every store holds it: one key per Windows code
// page that this machine's iconv converts, named by the code page's number, with
//
//   BodyCharset   the charset's name in mail and web bodies ("windows-1252")
//   Description   a reference into the string module mlang.dll of the
//                 Windows folder: "@%SystemRoot%\system32\mlang.dll,-N",
//                 where N is the code page's number and string N of the
//                 module its description ("Western European (Windows)")
//
// Keys are written in ascending order of the numbers, which is the order
// the store lists them in. The store writes the database and the string
// module (system32/mlang.dll of the Windows folder beside it,
// system_environment.h) when it is made (system_databases.h).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry/registry_store.h"

namespace tlvx::platform::codepages {

inline constexpr std::u16string_view kDatabaseKey = u"MIME\\Database\\Codepage";

struct CodePage {
    std::uint32_t number;
    std::u16string bodyCharset;
    std::u16string description;
};

// The code pages this machine's iconv converts, ascending by number.
std::vector<CodePage> availableCodePages();

// How a Description is written: as the reference into the string module,
// or as the text itself (for a store without a file, whose Windows folder
// does not exist yet).
enum class Descriptions { InModule, Inline };

// The database's values for `codePages`, in the order they are written.
std::vector<ValueWrite> databaseValues(const std::vector<CodePage>& codePages, Descriptions style);

// The string module of the descriptions in the Windows folder `windows`.
std::filesystem::path stringModuleFile(const std::filesystem::path& windows);
// Writes the descriptions of `codePages` as the module `file` (replacing it
// whole, making its folders); false when it cannot be written.
bool installStringModule(const std::filesystem::path& file,
                         const std::vector<CodePage>& codePages) noexcept;

}  // namespace tlvx::platform::codepages
