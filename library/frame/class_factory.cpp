#include "library/frame/class_factory.h"

#include "library/frame/module_life.h"

namespace tlvx::library::frame {

HRESULT ClassFactory::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG ClassFactory::AddRef() noexcept {
    objectCreated();
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

ULONG ClassFactory::Release() noexcept {
    const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    objectDestroyed();
    return left;
}

HRESULT ClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) noexcept {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    return create_(riid, ppvObject);
}

HRESULT ClassFactory::LockServer(BOOL fLock) noexcept {
    if (fLock) {
        serverLocked();
    } else {
        serverUnlocked();
    }
    return S_OK;
}

}  // namespace tlvx::library::frame
