#pragma once
// C++ conveniences over BSTR for the platform's own code.

#include <string>
#include <string_view>

#include "platform/automation/ole_types.h"

namespace tlvx::platform::automation {

// The whole text of a BSTR, embedded NULs included; empty for a null BSTR.
inline std::u16string_view bstrView(BSTR text) noexcept {
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

// A new BSTR holding `text`; null only when memory runs out.
inline BSTR allocBstr(std::u16string_view text) noexcept {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// A copy that keeps the exact byte length (an odd one included); a null
// BSTR copies to null. `ok` is false when memory ran out.
BSTR copyBstr(BSTR source, bool& ok) noexcept;

}  // namespace tlvx::platform::automation
