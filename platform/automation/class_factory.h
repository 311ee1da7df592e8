#pragma once
// The class factory of one class, over the shared COM object: it makes new
// objects through the class's creator and aggregates none. A factory is a
// static object; its life policy (com_object.h) says what a reference to
// it counts and adds what LockServer does:
//
//     static void lockServer(bool lock) noexcept;

#include "include/tallyvex/ole_types.h"
#include "platform/automation/com_object.h"

namespace tlvx::platform::automation {

template <class Life>
class ClassFactory final
    : public ComObject<ClassFactory<Life>, Life,
                       Answers<IClassFactory, IID_IUnknown, IID_IClassFactory>> {
public:
    // Makes a new object answering `riid`.
    using Creator = HRESULT (*)(REFIID riid, void** ppv) noexcept;

    constexpr explicit ClassFactory(Creator creator) : create_(creator) {}

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) noexcept override {
        if (!ppvObject) return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter) return CLASS_E_NOAGGREGATION;
        return create_(riid, ppvObject);
    }
    HRESULT LockServer(BOOL fLock) noexcept override {
        Life::lockServer(fLock != FALSE);
        return S_OK;
    }

private:
    Creator create_;
};

}  // namespace tlvx::platform::automation
