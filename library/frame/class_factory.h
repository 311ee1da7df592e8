#pragma once
// The class factory of one class: a static object with constant
// initialisation. A reference a client holds to it keeps the module loaded
// like an object does; LockServer counts locks.

#include <atomic>

#include "include/tallyvex/ole_types.h"

namespace tlvx::library::frame {

class ClassFactory final : public IClassFactory {
public:
    // Makes a new object answering `riid`.
    using Creator = HRESULT (*)(REFIID riid, void** ppv) noexcept;

    constexpr explicit ClassFactory(Creator create) : create_(create) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;
    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) noexcept override;
    HRESULT LockServer(BOOL fLock) noexcept override;

private:
    Creator create_;
    std::atomic<ULONG> references_{0};
};

}  // namespace tlvx::library::frame
