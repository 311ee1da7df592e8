#pragma once
// The common part of the library's five classes: reference counting,
// QueryInterface, IDispatch over the class's dispatch table, and
// ISupportErrorInfo. A class derives as
//
//     class TxtFileObject final : public ComObject<_TxtFile, TxtFileObject>
//
// and provides `static constexpr const IID& interfaceId` and
// `static const DispatchTable dispatchTable`. Objects are made only by
// create() and end when their last reference is released; while any lives,
// the module stays loaded (ModuleLife).

#include <atomic>
#include <new>

#include "include/tallyvex/ole_types.h"
#include "library/frame/dispatch_table.h"
#include "library/frame/method_call.h"
#include "library/frame/module_life.h"

namespace tlvx::library::frame {

template <class Interface, class Derived>
class ComObject : public Interface, public ISupportErrorInfo {
public:
    // A new object answering `riid`, with the one reference the caller gets.
    static HRESULT create(REFIID riid, void** ppv) noexcept {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        auto* object = new (std::nothrow) Derived;
        if (!object) return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();  // gone again unless the interface was given out
        return hr;
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == Derived::interfaceId) {
            *ppv = static_cast<Interface*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *ppv = static_cast<ISupportErrorInfo*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override {
        return references_.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    ULONG Release() noexcept override {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

    // There is no type library at run time: callers by name use
    // GetIDsOfNames.
    HRESULT GetTypeInfoCount(UINT* pctinfo) noexcept override {
        if (!pctinfo) return E_INVALIDARG;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept override {
        if (ppTInfo) *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                          DISPID* rgDispId) noexcept override {
        return idsOfNames(Derived::dispatchTable, riid, rgszNames, cNames, rgDispId);
    }
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override {
        return invoke(Derived::dispatchTable, static_cast<Interface*>(this), dispIdMember, riid,
                      wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
    }

    HRESULT InterfaceSupportsErrorInfo(REFIID riid) noexcept override {
        return riid == Derived::interfaceId ? S_OK : S_FALSE;
    }

protected:
    ComObject() noexcept { objectCreated(); }
    ~ComObject() { objectDestroyed(); }

    // Opens a method call: holds a reference to the object until the call
    // returns. Every method of the interface begins with it.
    [[nodiscard]] MethodCall enterCall() noexcept {
        return MethodCall(static_cast<Interface*>(this));
    }

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace tlvx::library::frame
