#include "library/RegistryObject.h"

namespace tlvx::library {

using frame::byRef;
using frame::method;
using frame::notImplemented;
using frame::optRef;

namespace {

using I = _Registry;

constexpr frame::Method kMethods[] = {
    method<&I::ExportRegKey>(
        u"ExportRegKey", 0, VT_BOOL,
        {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR), byRef(u"FileName", VT_BSTR)}),
    method<&I::ImportRegKey>(
        u"ImportRegKey", 1, VT_BOOL,
        {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR), byRef(u"FileName", VT_BSTR)}),
    method<&I::ReadRegKey>(u"ReadRegKey", 2, VT_BSTR,
                           {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR),
                            byRef(u"SubKey", VT_BSTR), optRef(u"NoKeyFoundValue", VT_BSTR)}),
    method<&I::WriteRegKey>(
        u"WriteRegKey", 3, VT_BOOL,
        {byRef(u"KeyType", VT_I4), byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR),
         byRef(u"SubKey", VT_BSTR), byRef(u"SubKeyValue", VT_BSTR)}),
    method<&I::EnumerateRegKeys>(u"EnumerateRegKeys", 4, VT_BSTR,
                                 {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR)}),
    method<&I::EnumerateRegKeyValues>(u"EnumerateRegKeyValues", 5, VT_BSTR,
                                      {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR)}),
    method<&I::DeleteRegKey>(u"DeleteRegKey", 6, VT_EMPTY,
                             {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR)}),
    method<&I::DeleteRegKeyValue>(
        u"DeleteRegKeyValue", 7, VT_BOOL,
        {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR), optRef(u"SubKey", VT_BSTR)}),
    method<&I::GetRegKeyItems>(u"GetRegKeyItems", 10, VT_I2,
                               {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR)}),
    method<&I::EnumerateRegKeyItemNames>(u"EnumerateRegKeyItemNames", 11, VT_BSTR,
                                         {byRef(u"KeyRoot", VT_I4), byRef(u"KeyPath", VT_BSTR)}),
};
static_assert(frame::wellFormed(kMethods));

}  // namespace

constinit const frame::DispatchTable RegistryObject::dispatchTable = kMethods;

HRESULT RegistryObject::ExportRegKey(KeyRoot*, BSTR*, BSTR*, VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::ImportRegKey(KeyRoot*, BSTR*, BSTR*, VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::ReadRegKey(KeyRoot*, BSTR*, BSTR*, BSTR*, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::WriteRegKey(KeyType*, KeyRoot*, BSTR*, BSTR*, BSTR*,
                                    VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::EnumerateRegKeys(KeyRoot*, BSTR*, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::EnumerateRegKeyValues(KeyRoot*, BSTR*, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::DeleteRegKey(KeyRoot*, BSTR*) noexcept {
    const auto call = enterCall();
    return notImplemented();
}

HRESULT RegistryObject::DeleteRegKeyValue(KeyRoot*, BSTR*, BSTR*, VARIANT_BOOL* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::GetRegKeyItems(KeyRoot*, BSTR*, SHORT* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

HRESULT RegistryObject::EnumerateRegKeyItemNames(KeyRoot*, BSTR*, BSTR* result) noexcept {
    const auto call = enterCall();
    return notImplemented(result);
}

}  // namespace tlvx::library
