#pragma once
// One reference to an object of the component library, held as a client
// holds it and released when the holder goes: a fixture creates its object
// in SetUp and asks it for other interfaces, with nothing to release by hand.

#include "Morcel_TLVX.h"

namespace tlvx::test {

template <typename Interface>
class ObjectRef {
public:
    ObjectRef() = default;
    ~ObjectRef() { reset(); }
    ObjectRef(const ObjectRef&) = delete;
    ObjectRef& operator=(const ObjectRef&) = delete;

    // A new object of the class, created as a client creates it; the
    // result of the creation.
    HRESULT create(const CLSID& clsid, const IID& iid) {
        reset();
        void* object = nullptr;
        const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, &object);
        object_ = static_cast<Interface*>(object);
        return hr;
    }
    // Another interface of `object`; the result of QueryInterface.
    HRESULT query(IUnknown* object, const IID& iid) {
        reset();
        void* other = nullptr;
        const HRESULT hr = object ? object->QueryInterface(iid, &other) : E_POINTER;
        object_ = static_cast<Interface*>(other);
        return hr;
    }
    // Where a call hands out a new reference (QueryInterface, a factory):
    // the old one is released first.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&object_);
    }
    void reset() {
        if (object_) object_->Release();
        object_ = nullptr;
    }

    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    // Where a test hands the object on, it is the interface pointer.
    operator Interface*() const { return object_; }  // NOLINT(google-explicit-constructor)

private:
    Interface* object_ = nullptr;
};

}  // namespace tlvx::test
