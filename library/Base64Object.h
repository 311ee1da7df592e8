#pragma once
// The Base64 class as clients see it (_Base64). Its methods are not built
// yet: each answers E_NOTIMPL with an empty result.

#include "library/frame/ComObject.h"
#include "library/include/Morcel_TLVX.h"

namespace tlvx::library {

class Base64Object final : public frame::ComObject<_Base64, Base64Object> {
public:
    static constexpr const IID& interfaceId = IID__Base64;
    static const frame::DispatchTable dispatchTable;

    HRESULT Encode(BSTR Source, BSTR CharSet, BSTR* result) noexcept override;
    HRESULT EncodeFile(BSTR astrFile, BSTR* result) noexcept override;
    HRESULT Decode(BSTR* sInput, BSTR CharSet, BSTR* result) noexcept override;
    HRESULT DecodeToFile(BSTR* sInput, BSTR* sFileName) noexcept override;
};

}  // namespace tlvx::library
