#pragma once
// The one implementation of IUnknown and IDispatch for the objects this
// system serves. A class names the interfaces it answers and how long it
// lives:
//
//     class ErrorObject final
//         : public ComObject<ErrorObject, HeapLife,
//                            Answers<ICreateErrorInfo, IID_IUnknown, IID_ICreateErrorInfo>,
//                            Answers<IErrorInfo, IID_IErrorInfo>> { ... };
//
// and gets one reference count for all its interfaces, QueryInterface over
// the list (the first interface that answers an identifier is the one given
// out, so IUnknown is always the same pointer), and, through DispatchObject,
// IDispatch over its declarative dispatch table (dispatch_table.h).
//
// A face is any type with `using Interface = I;` (a base of the object) and
// `static bool answers(REFIID)`; Answers<I, ids...> is the usual one. An
// object whose interfaces depend on its state adds
// `void* moreInterfaces(REFIID) noexcept`, asked after the list.
//
// A life policy says what the count starts at, whether the last Release
// deletes the object, and what each reference does beyond the count:
//
//     static constexpr ULONG kInitialReferences;
//     static constexpr bool kDeleteWhenUnused;
//     static void referenceAdded() noexcept;    // before the count rises
//     static void referenceReleased() noexcept;  // after it falls

#include <atomic>
#include <new>
#include <tuple>

#include "include/tallyvex/ole_types.h"
#include "platform/automation/dispatch_table.h"

namespace tlvx::platform::automation {

// Made by new with the one reference its creator gets; deleted with its
// last reference.
struct HeapLife {
    static constexpr ULONG kInitialReferences = 1;
    static constexpr bool kDeleteWhenUnused = true;
    static void referenceAdded() noexcept {}
    static void referenceReleased() noexcept {}
};

// A static object that lives for the process: the count holds the
// process's own reference and never ends it.
struct ProcessLife {
    static constexpr ULONG kInitialReferences = 1;
    static constexpr bool kDeleteWhenUnused = false;
    static void referenceAdded() noexcept {}
    static void referenceReleased() noexcept {}
};

// Interface I, given out for the identifiers `ids`.
template <class I, const IID&... ids>
struct Answers {
    using Interface = I;
    static bool answers(REFIID riid) noexcept { return ((riid == ids) || ...); }
};

template <class Derived, class Life, class... Faces>
class ComObject : public Faces::Interface... {
public:
    // A new object answering `riid`, with the one reference the caller
    // gets.
    static HRESULT create(REFIID riid, void** ppv) noexcept {
        static_assert(Life::kDeleteWhenUnused, "only objects made by new are created");
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
        *ppv = nullptr;
        // The first face that answers gives the pointer.
        ((*ppv = *ppv ? *ppv : faceFor<Faces>(riid)), ...);
        if constexpr (requires(Derived & d) { d.moreInterfaces(riid); }) {
            if (!*ppv) *ppv = static_cast<Derived*>(this)->moreInterfaces(riid);
        }
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override {
        Life::referenceAdded();
        return references_.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    ULONG Release() noexcept override {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        Life::referenceReleased();
        if constexpr (Life::kDeleteWhenUnused) {
            if (left == 0) delete static_cast<Derived*>(this);
        }
        return left;
    }

protected:
    constexpr ComObject() noexcept = default;
    ~ComObject() = default;

private:
    template <class Face>
    void* faceFor(REFIID riid) noexcept {
        return Face::answers(riid) ? static_cast<typename Face::Interface*>(this) : nullptr;
    }

    std::atomic<ULONG> references_{Life::kInitialReferences};
};

// A class whose first face is an IDispatch (or an interface derived from
// it). Its members are found and called through `Derived::dispatchTable`;
// a class without one answers names itself with
//     HRESULT memberIds(REFIID, LPOLESTR*, UINT, DISPID*) noexcept;
// and a class that calls its members itself defines
//     HRESULT invokeMember(DISPID, REFIID, WORD, DISPPARAMS*, VARIANT*,
//                          EXCEPINFO*, UINT*) noexcept;
// Hooks (moreInterfaces too) are public: a private one is not seen.
template <class Derived, class Life, class... Faces>
class DispatchObject : public ComObject<Derived, Life, Faces...> {
public:
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
        if constexpr (requires { Derived::dispatchTable; }) {
            return idsOfNames(Derived::dispatchTable, riid, rgszNames, cNames, rgDispId);
        } else {
            return self().memberIds(riid, rgszNames, cNames, rgDispId);
        }
    }
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override {
        if constexpr (requires(Derived & d) {
                          d.invokeMember(dispIdMember, riid, wFlags, pDispParams, pVarResult,
                                         pExcepInfo, puArgErr);
                      }) {
            return self().invokeMember(dispIdMember, riid, wFlags, pDispParams, pVarResult,
                                       pExcepInfo, puArgErr);
        } else {
            return invoke(Derived::dispatchTable, dispatchInterface(), dispIdMember, riid, wFlags,
                          pDispParams, pVarResult, pExcepInfo, puArgErr);
        }
    }

protected:
    constexpr DispatchObject() noexcept = default;
    ~DispatchObject() = default;

private:
    Derived& self() noexcept { return *static_cast<Derived*>(this); }
    // The object as its first interface, which the table's slots belong to.
    IDispatch* dispatchInterface() noexcept {
        return static_cast<typename std::tuple_element_t<0, std::tuple<Faces...>>::Interface*>(
            this);
    }
};

}  // namespace tlvx::platform::automation
