#include "library/registry/registry_object.h"

#include <string>

#include "library/frame/class_face.h"

namespace tlvx::library {

using namespace frame::face;

namespace {

using I = _Registry;

constexpr Method kMethods[] = {
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
static_assert(wellFormed(kMethods));

uint32_t rootOf(const KeyRoot* root) {
    return static_cast<uint32_t>(*root);
}

std::u16string textOf(const BSTR* value) {
    return text(*value);
}

}  // namespace

constinit const DispatchTable RegistryObject::dispatchTable = kMethods;

HRESULT RegistryObject::ExportRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* FileName,
                                     VARIANT_BOOL* result) noexcept {
    return answer(result, given(Root, KeyPath, FileName), [&] {
        return registry_.ExportRegKey(rootOf(Root), textOf(KeyPath), textOf(FileName));
    });
}

HRESULT RegistryObject::ImportRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* FileName,
                                     VARIANT_BOOL* result) noexcept {
    return answer(result, given(Root, KeyPath, FileName), [&] {
        return registry_.ImportRegKey(rootOf(Root), textOf(KeyPath), textOf(FileName));
    });
}

HRESULT RegistryObject::ReadRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey,
                                   BSTR* NoKeyFoundValue, BSTR* result) noexcept {
    return answer(result, given(Root, KeyPath, SubKey), [&] {
        // The optional NoKeyFoundValue may come as no reference at all.
        const std::u16string noKey = NoKeyFoundValue ? textOf(NoKeyFoundValue) : std::u16string();
        return registry_.ReadRegKey(rootOf(Root), textOf(KeyPath), textOf(SubKey), noKey);
    });
}

HRESULT RegistryObject::WriteRegKey(KeyType* Type, KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey,
                                    BSTR* SubKeyValue, VARIANT_BOOL* result) noexcept {
    return answer(result, given(Type, Root, KeyPath, SubKey, SubKeyValue), [&] {
        return registry_.WriteRegKey(static_cast<uint32_t>(*Type), rootOf(Root), textOf(KeyPath),
                                     textOf(SubKey), textOf(SubKeyValue));
    });
}

HRESULT RegistryObject::EnumerateRegKeys(KeyRoot* Root, BSTR* KeyPath, BSTR* result) noexcept {
    return answer(result, given(Root, KeyPath),
                  [&] { return registry_.EnumerateRegKeys(rootOf(Root), textOf(KeyPath)); });
}

HRESULT RegistryObject::EnumerateRegKeyValues(KeyRoot* Root, BSTR* KeyPath, BSTR* result) noexcept {
    return answer(result, given(Root, KeyPath),
                  [&] { return registry_.EnumerateRegKeyValues(rootOf(Root), textOf(KeyPath)); });
}

HRESULT RegistryObject::DeleteRegKey(KeyRoot* Root, BSTR* KeyPath) noexcept {
    return perform(given(Root, KeyPath),
                   [&] { registry_.DeleteRegKey(rootOf(Root), textOf(KeyPath)); });
}

HRESULT RegistryObject::DeleteRegKeyValue(KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey,
                                          VARIANT_BOOL* result) noexcept {
    return fillResult(result, given(Root, KeyPath), [&] {
        // The optional SubKey may come as no reference at all: then there
        // is no variable to write the path back to.
        std::u16string subKey = SubKey ? textOf(SubKey) : std::u16string();
        *result = boolean(registry_.DeleteRegKeyValue(rootOf(Root), textOf(KeyPath), subKey));
        if (!SubKey || subKey == bstrView(*SubKey)) return S_OK;
        return replaceText(SubKey, subKey);
    });
}

HRESULT RegistryObject::GetRegKeyItems(KeyRoot* Root, BSTR* KeyPath, SHORT* result) noexcept {
    return answer(result, given(Root, KeyPath),
                  [&] { return registry_.GetRegKeyItems(rootOf(Root), textOf(KeyPath)); });
}

HRESULT RegistryObject::EnumerateRegKeyItemNames(KeyRoot* Root, BSTR* KeyPath,
                                                 BSTR* result) noexcept {
    return answer(result, given(Root, KeyPath), [&] {
        return registry_.EnumerateRegKeyItemNames(rootOf(Root), textOf(KeyPath));
    });
}

}  // namespace tlvx::library
