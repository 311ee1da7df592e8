#pragma once
// The Registry class as clients see it (_Registry). Its methods are not built
// yet: each answers E_NOTIMPL with an empty result.

#include "library/frame/ComObject.h"
#include "library/include/Morcel_TLVX.h"

namespace tlvx::library {

class RegistryObject final : public frame::ComObject<_Registry, RegistryObject> {
public:
    static constexpr const IID& interfaceId = IID__Registry;
    static const frame::DispatchTable dispatchTable;

    HRESULT ExportRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* FileName,
                         VARIANT_BOOL* result) noexcept override;
    HRESULT ImportRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* FileName,
                         VARIANT_BOOL* result) noexcept override;
    HRESULT ReadRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey, BSTR* NoKeyFoundValue,
                       BSTR* result) noexcept override;
    HRESULT WriteRegKey(KeyType* Type, KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey,
                        BSTR* SubKeyValue, VARIANT_BOOL* result) noexcept override;
    HRESULT EnumerateRegKeys(KeyRoot* Root, BSTR* KeyPath, BSTR* result) noexcept override;
    HRESULT EnumerateRegKeyValues(KeyRoot* Root, BSTR* KeyPath, BSTR* result) noexcept override;
    HRESULT DeleteRegKey(KeyRoot* Root, BSTR* KeyPath) noexcept override;
    HRESULT DeleteRegKeyValue(KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey,
                              VARIANT_BOOL* result) noexcept override;
    HRESULT GetRegKeyItems(KeyRoot* Root, BSTR* KeyPath, SHORT* result) noexcept override;
    HRESULT EnumerateRegKeyItemNames(KeyRoot* Root, BSTR* KeyPath, BSTR* result) noexcept override;
};

}  // namespace tlvx::library
