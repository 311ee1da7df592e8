#pragma once
// C++ conveniences over BSTR for the platform's own code.

#include <string>
#include <string_view>

#include "include/tallyvex/ole_types.h"

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

// A string a caller of an interface owns, freed when it goes.
class OwnedBstr {
public:
    OwnedBstr() = default;
    explicit OwnedBstr(std::u16string_view text) : b_(allocBstr(text)) {}
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    ~OwnedBstr() { SysFreeString(b_); }

    BSTR get() const noexcept { return b_; }
    // For a result: the callee writes a string the caller owns; whatever
    // was held before is freed first.
    BSTR* out() noexcept {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    // For a by-reference argument: the callee may put another string in its
    // place, which is then the one freed here.
    BSTR* inOut() noexcept { return &b_; }
    std::u16string text() const { return std::u16string(bstrView(b_)); }

private:
    BSTR b_ = nullptr;
};

}  // namespace tlvx::platform::automation
