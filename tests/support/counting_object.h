#pragma once
// A test's automation object whose references can be counted.

#include <optional>

#include "include/tallyvex/ole_types.h"

namespace tlvx::test {

// An object whose references can be counted. It answers DISPID_VALUE with
// `value` when one is given.
class CountingObject final : public IDispatch {
public:
    explicit CountingObject(std::optional<LONG> value = std::nullopt) : value_(value) {}
    ULONG references() const { return references_; }

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (riid != IID_IUnknown && riid != IID_IDispatch) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override { return ++references_; }
    ULONG Release() noexcept override { return --references_; }
    HRESULT GetTypeInfoCount(UINT* count) noexcept override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                   UINT*) noexcept override {
        if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || !value_) {
            return DISP_E_MEMBERNOTFOUND;
        }
        result->vt = VT_I4;
        result->lVal = *value_;
        return S_OK;
    }

private:
    ULONG references_ = 1;
    std::optional<LONG> value_;
};

}  // namespace tlvx::test
