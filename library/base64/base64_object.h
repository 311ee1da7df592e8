#pragma once
// The Base64 class as clients see it (_Base64), over Base64, the one home
// of that logic. Its coding tables are filled when the object is made.
// DecodeToFile raises its errors to the caller through the error
// information; the other methods give the empty text when they fail.

#include "include/tallyvex/Morcel_TLVX.h"
#include "library/base64/base64.h"
#include "library/frame/com_object.h"

namespace tlvx::library {

class Base64Object final : public frame::ComObject<_Base64, IID__Base64, Base64Object> {
public:
    static const platform::automation::DispatchTable dispatchTable;

    HRESULT Encode(BSTR Source, BSTR CharSet, BSTR* result) noexcept override;
    HRESULT EncodeFile(BSTR astrFile, BSTR* result) noexcept override;
    HRESULT Decode(BSTR* sInput, BSTR CharSet, BSTR* result) noexcept override;
    HRESULT DecodeToFile(BSTR* sInput, BSTR* sFileName) noexcept override;

private:
    Base64 base64_;
};

}  // namespace tlvx::library
