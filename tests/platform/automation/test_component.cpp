// A component module for the activation tests. It serves two classes
// through DllGetClassObject; which file a served object came from is seen
// from the address of its virtual table.

#include <atomic>

#include "include/tallyvex/ole_types.h"

namespace {

constexpr CLSID kFirstClass = {
    0x3F2A9C10, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};
constexpr CLSID kSecondClass = {
    0x3F2A9C11, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};

class TestObject final : public IDispatch {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_IDispatch) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override { return ++references_; }
    ULONG Release() noexcept override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT GetTypeInfoCount(UINT* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   UINT*) noexcept override {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ~TestObject() = default;
    std::atomic<ULONG> references_{1};
};

class Factory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factory is a static object: counting would change nothing.
    ULONG AddRef() noexcept override { return 2; }
    ULONG Release() noexcept override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new TestObject;
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT LockServer(BOOL) noexcept override { return S_OK; }
};

Factory factory;

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID rclsid,
                                                                            REFIID riid,
                                                                            void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (rclsid != kFirstClass && rclsid != kSecondClass) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, ppv);
}
