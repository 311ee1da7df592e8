#include "platform/automation/late_call.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/automation/bstr.h"

namespace tlvx::platform::automation {

OwnedVariant OwnedVariant::text(std::u16string_view value) {
    OwnedVariant v;
    v.v_.bstrVal = allocBstr(value);
    if (v.v_.bstrVal) v.v_.vt = VT_BSTR;
    return v;
}

OwnedVariant OwnedVariant::number(int32_t value) {
    OwnedVariant v;
    v.v_.vt = VT_I4;
    v.v_.lVal = value;
    return v;
}

OwnedVariant OwnedVariant::boolean(bool value) {
    OwnedVariant v;
    v.v_.vt = VT_BOOL;
    v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

OwnedVariant OwnedVariant::bytes(std::string_view value) {
    OwnedVariant v;
    v.v_.parray = byteArray(value);
    if (v.v_.parray) v.v_.vt = VT_ARRAY | VT_UI1;
    return v;
}

std::optional<std::u16string> textOf(const VARIANT& value) {
    const VARIANT* v = &value;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    if (v->vt == VT_BSTR) return std::u16string(bstrView(v->bstrVal));
    if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) {
        return std::u16string(bstrView(*v->pbstrVal));
    }
    return std::nullopt;
}

std::optional<std::string> bytesOf(const VARIANT& value) {
    const VARIANT* v = &value;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    if (v->vt == VT_EMPTY || v->vt == VT_NULL) return std::string();
    SAFEARRAY* array = nullptr;
    if (v->vt == (VT_ARRAY | VT_UI1)) array = v->parray;
    if (v->vt == (VT_BYREF | VT_ARRAY | VT_UI1) && v->pparray) array = *v->pparray;
    if (v->vt != (VT_ARRAY | VT_UI1) && v->vt != (VT_BYREF | VT_ARRAY | VT_UI1)) {
        return std::nullopt;
    }
    if (!array) return std::string();
    if (SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1) return std::nullopt;
    LONG lower = 0, upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper))) {
        return std::nullopt;
    }
    if (upper < lower) return std::string();
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return std::nullopt;
    std::string bytes(static_cast<const char*>(data),
                      static_cast<std::size_t>(static_cast<int64_t>(upper) - lower + 1));
    SafeArrayUnaccessData(array);
    return bytes;
}

SAFEARRAY* byteArray(std::string_view bytes) noexcept {
    if (bytes.size() > std::numeric_limits<ULONG>::max()) return nullptr;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array || bytes.empty()) return array;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        return nullptr;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    return array;
}

LateObject::~LateObject() {
    if (object_) object_->Release();
}

LateObject& LateObject::operator=(LateObject&& other) noexcept {
    if (this != &other) {
        if (object_) object_->Release();
        object_ = other.object_;
        other.object_ = nullptr;
    }
    return *this;
}

LateObject LateObject::create(std::u16string_view progId) noexcept {
    LateObject object;
    try {
        const std::u16string name(progId);
        CLSID clsid = CLSID_NULL;
        if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) return object;
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&object.object_));
    } catch (...) {
    }
    return object;
}

LateObject LateObject::share(IDispatch* object) noexcept {
    LateObject shared;
    if (object) object->AddRef();
    shared.object_ = object;
    return shared;
}

LateObject LateObject::of(const VARIANT& value) noexcept {
    const VARIANT* v = &value;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    if (v->vt == VT_DISPATCH) return share(v->pdispVal);
    if (v->vt == (VT_BYREF | VT_DISPATCH) && v->ppdispVal) return share(*v->ppdispVal);
    return {};
}

bool LateObject::isA(REFIID iid) const noexcept {
    if (!object_) return false;
    void* answered = nullptr;
    if (FAILED(object_->QueryInterface(iid, &answered)) || !answered) return false;
    static_cast<IUnknown*>(answered)->Release();
    return true;
}

HRESULT LateObject::invoke(const char16_t* name, WORD flags, std::vector<OwnedVariant>& arguments,
                           OwnedVariant* result) noexcept {
    if (!object_) return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    try {
        // Invoke takes the arguments last to first.
        std::vector<VARIANT> reversed;
        reversed.reserve(arguments.size());
        for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
            reversed.push_back(it->get());
        }
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        EXCEPINFO exception;
        std::memset(&exception, 0, sizeof exception);
        OwnedVariant value;
        hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &value.get(),
                             &exception, nullptr);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        if (hr == DISP_E_EXCEPTION && FAILED(exception.scode)) hr = exception.scode;
        if (SUCCEEDED(hr) && result) std::swap(result->get(), value.get());
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT LateObject::call(const char16_t* name, std::vector<OwnedVariant> arguments,
                         OwnedVariant* result) noexcept {
    return invoke(name, DISPATCH_METHOD, arguments, result);
}

HRESULT LateObject::put(const char16_t* name, OwnedVariant value) noexcept {
    try {
        std::vector<OwnedVariant> arguments;
        arguments.push_back(std::move(value));
        return invoke(name, DISPATCH_PROPERTYPUT, arguments, nullptr);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT LateObject::get(const char16_t* name, OwnedVariant& result) noexcept {
    std::vector<OwnedVariant> none;
    return invoke(name, DISPATCH_PROPERTYGET, none, &result);
}

HRESULT LateObject::get(const char16_t* name, std::vector<OwnedVariant> arguments,
                        OwnedVariant& result) noexcept {
    return invoke(name, DISPATCH_PROPERTYGET, arguments, &result);
}

}  // namespace tlvx::platform::automation
