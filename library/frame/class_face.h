#pragma once
// What a class face (library/<class>/<class>_object.cpp, the class as
// clients see it) is written with: the entries of its dispatch table and
// the helpers of its methods' bodies. A face says
// `using namespace frame::face;`.

#include <string_view>

#include "include/tallyvex/ole_types.h"
#include "library/frame/com_object.h"
#include "platform/automation/bstr.h"
#include "platform/automation/dispatch_table.h"
#include "platform/automation/method_call.h"

namespace tlvx::library::frame::face {

using namespace platform::automation;

// Whether every pointer argument is there.
template <class... Pointers>
constexpr bool given(const Pointers*... arguments) noexcept {
    return ((arguments != nullptr) && ...);
}

// Puts `now` into a String argument passed by reference, freeing its old
// text; when there is no memory for it, the argument stays as it was.
inline HRESULT replaceText(BSTR* argument, std::u16string_view now) noexcept {
    BSTR changed = allocBstr(now);
    if (!changed) return E_OUTOFMEMORY;
    SysFreeString(*argument);
    *argument = changed;
    return S_OK;
}

}  // namespace tlvx::library::frame::face
