// Variants: initialise, clear (free what the variant owns) and copy.

#include <cstring>

#include "platform/automation/bstr.h"
#include "platform/automation/variant_types.h"

using namespace tlvx::platform::automation;

void VariantInit(VARIANTARG* pvarg) noexcept {
    if (pvarg) pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* pvarg) noexcept {
    if (!pvarg) return E_INVALIDARG;
    const VARTYPE vt = pvarg->vt;
    if (!isValidVariantType(vt)) return DISP_E_BADVARTYPE;
    // A reference names storage the variant does not own.
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            const HRESULT hr = SafeArrayDestroy(pvarg->parray);
            if (FAILED(hr)) return hr;  // a locked array stays where it is
        } else if (vt == VT_BSTR) {
            SysFreeString(pvarg->bstrVal);
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            if (pvarg->punkVal) pvarg->punkVal->Release();
        }
    }
    pvarg->vt = VT_EMPTY;
    return S_OK;
}

namespace {

// Deep copy of `source` into the uninitialised `target`.
HRESULT copyInto(VARIANT& target, const VARIANT& source) {
    VARIANT copy;
    std::memcpy(&copy, &source, sizeof copy);
    const VARTYPE vt = source.vt;
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            copy.parray = nullptr;
            if (source.parray) {
                const HRESULT hr = SafeArrayCopy(source.parray, &copy.parray);
                if (FAILED(hr)) return hr;
            }
        } else if (vt == VT_BSTR) {
            bool ok;
            copy.bstrVal = copyBstr(source.bstrVal, ok);
            if (!ok) return E_OUTOFMEMORY;
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            if (copy.punkVal) copy.punkVal->AddRef();
        }
    }
    std::memcpy(&target, &copy, sizeof copy);
    return S_OK;
}

}  // namespace

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) noexcept {
    if (!pvargDest || !pvargSrc) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    if (!isValidVariantType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    // Copy first: when the copy fails, the destination keeps its value.
    VARIANT copy;
    HRESULT hr = copyInto(copy, *pvargSrc);
    if (FAILED(hr)) return hr;
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    std::memcpy(pvargDest, &copy, sizeof copy);
    return S_OK;
}

HRESULT tlvx::platform::automation::referencedValue(const VARIANT& source,
                                                    VARIANT& value) noexcept {
    const VARTYPE vt = source.vt;
    if (!(vt & VT_BYREF)) {
        std::memcpy(&value, &source, sizeof value);
        return S_OK;
    }
    if (!source.byref) return E_INVALIDARG;
    const VARTYPE target = vt & ~VT_BYREF;
    if (target == VT_VARIANT) {
        std::memcpy(&value, source.pvarVal, sizeof value);
        // A variant reached through a reference holds a value, not another
        // reference.
        return (value.vt & VT_BYREF) ? E_INVALIDARG : S_OK;
    }
    std::memset(&value, 0, sizeof value);
    if (target == VT_DECIMAL) {
        // A decimal fills the whole variant but its first two bytes.
        std::memcpy(&value.decVal, source.pdecVal, sizeof(DECIMAL));
    } else {
        // NOLINTNEXTLINE(bugprone-sizeof-expression): the array pointer itself
        const size_t size = (target & VT_ARRAY) ? sizeof(SAFEARRAY*) : arrayElementSize(target);
        std::memcpy(&value.llVal, source.byref, size);
    }
    value.vt = target;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) noexcept {
    if (!pvarDest || !pvargSrc) return E_INVALIDARG;
    if (!isValidVariantType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    VARIANT value;
    HRESULT hr = referencedValue(*pvargSrc, value);
    if (FAILED(hr)) return hr;
    VARIANT copy;
    hr = copyInto(copy, value);
    if (FAILED(hr)) return hr;
    // The source may be the destination itself: it has been read in full.
    hr = VariantClear(pvarDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    std::memcpy(pvarDest, &copy, sizeof copy);
    return S_OK;
}
