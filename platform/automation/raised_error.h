#pragma once
// An error a method raises to its caller: the thread's error information
// gets the source and description, and the method returns the error's
// number as its status. A caller by slot sees that status; a caller by name
// gets DISP_E_EXCEPTION with EXCEPINFO filled from the error information.

#include <string_view>

#include "include/tallyvex/ole_types.h"

namespace tlvx::platform::automation {

HRESULT raiseError(HRESULT number, std::u16string_view source,
                   std::u16string_view description) noexcept;

}  // namespace tlvx::platform::automation
