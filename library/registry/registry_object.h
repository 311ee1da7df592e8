#pragma once
// The Registry class as clients see it (_Registry): the interface over the
// registry methods of Registry (registry.h), which stay the one home of that
// logic. Every argument is passed by reference; only DeleteRegKeyValue
// changes one (its SubKey).

#include "include/tallyvex/Morcel_TLVX.h"
#include "library/frame/com_object.h"
#include "library/registry/registry.h"

namespace tlvx::library {

class RegistryObject final : public frame::ComObject<_Registry, IID__Registry, RegistryObject> {
public:
    static const platform::automation::DispatchTable dispatchTable;

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

private:
    Registry registry_;
};

}  // namespace tlvx::library
