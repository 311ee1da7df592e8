#pragma once
// GUIDs as text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include <optional>
#include <string>
#include <string_view>

#include "include/tallyvex/ole_types.h"

namespace tlvx::platform::automation {

// The braced form with hexadecimal digits in either case; nullopt for
// anything else (no braces, wrong length, misplaced dashes).
std::optional<GUID> parseGuid(std::u16string_view text);

// The braced form in upper case, 38 characters.
std::u16string formatGuid(const GUID& guid);

}  // namespace tlvx::platform::automation
