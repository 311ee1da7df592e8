// One-dimensional safe arrays. Like the Windows runtime, a vector is one
// block: a 16-byte prefix whose last four bytes hold the element type
// (FADF_HAVEVARTYPE), the descriptor, then the elements. Only descriptors
// made here (SafeArrayCreateVector, SafeArrayCopy) may be passed in.

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/automation/bstr.h"
#include "platform/automation/variant_types.h"

using namespace tlvx::platform::automation;

namespace {

constexpr size_t kPrefix = 16;

USHORT featuresFor(VARTYPE vt) {
    switch (vt) {
        case VT_BSTR:
            return FADF_HAVEVARTYPE | FADF_BSTR;
        case VT_UNKNOWN:
            return FADF_HAVEVARTYPE | FADF_UNKNOWN;
        case VT_DISPATCH:
            return FADF_HAVEVARTYPE | FADF_DISPATCH;
        case VT_VARIANT:
            return FADF_HAVEVARTYPE | FADF_VARIANT;
        default:
            return FADF_HAVEVARTYPE;
    }
}

VARTYPE elementType(const SAFEARRAY* psa) {
    if (psa->fFeatures & FADF_HAVEVARTYPE) {
        DWORD vt;
        std::memcpy(&vt, reinterpret_cast<const char*>(psa) - sizeof vt, sizeof vt);
        return static_cast<VARTYPE>(vt);
    }
    if (psa->fFeatures & FADF_BSTR) return VT_BSTR;
    if (psa->fFeatures & FADF_UNKNOWN) return VT_UNKNOWN;
    if (psa->fFeatures & FADF_DISPATCH) return VT_DISPATCH;
    if (psa->fFeatures & FADF_VARIANT) return VT_VARIANT;
    return VT_EMPTY;  // plain bytes
}

char* elementAt(const SAFEARRAY* psa, ULONG index) {
    return static_cast<char*>(psa->pvData) + static_cast<size_t>(index) * psa->cbElements;
}

// The position of the element the index names, or DISP_E_BADINDEX.
HRESULT positionOf(const SAFEARRAY* psa, const LONG* rgIndices, ULONG& index) {
    const int64_t offset = static_cast<int64_t>(rgIndices[0]) - psa->rgsabound[0].lLbound;
    if (offset < 0 || offset >= static_cast<int64_t>(psa->rgsabound[0].cElements)) {
        return DISP_E_BADINDEX;
    }
    index = static_cast<ULONG>(offset);
    return S_OK;
}

// Frees what the element owns and leaves it zeroed.
void clearElement(VARTYPE vt, char* element, ULONG size) {
    switch (vt) {
        case VT_BSTR: {
            BSTR text;
            std::memcpy(&text, element, sizeof text);
            SysFreeString(text);
            break;
        }
        case VT_UNKNOWN:
        case VT_DISPATCH: {
            IUnknown* object;
            std::memcpy(&object, element, sizeof(void*));
            if (object) object->Release();
            break;
        }
        case VT_VARIANT:
            VariantClear(reinterpret_cast<VARIANT*>(element));
            break;
        default:
            break;
    }
    std::memset(element, 0, size);
}

// Copies one element into uninitialised storage: strings duplicated,
// variants deep-copied, interfaces AddRef'd.
HRESULT copyElement(VARTYPE vt, const char* source, char* target, ULONG size) {
    switch (vt) {
        case VT_BSTR: {
            BSTR text;
            std::memcpy(&text, source, sizeof text);
            bool ok;
            BSTR copy = copyBstr(text, ok);
            if (!ok) return E_OUTOFMEMORY;
            std::memcpy(target, &copy, sizeof copy);
            return S_OK;
        }
        case VT_UNKNOWN:
        case VT_DISPATCH: {
            IUnknown* object;
            std::memcpy(&object, source, sizeof(void*));
            if (object) object->AddRef();
            std::memcpy(target, &object, sizeof(void*));
            return S_OK;
        }
        case VT_VARIANT: {
            auto* out = reinterpret_cast<VARIANT*>(target);
            VariantInit(out);
            return VariantCopy(out, reinterpret_cast<const VARIANT*>(source));
        }
        default:
            std::memcpy(target, source, size);
            return S_OK;
    }
}

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) noexcept {
    const ULONG size = arrayElementSize(vt);
    if (size == 0) return nullptr;
    const size_t head = kPrefix + sizeof(SAFEARRAY);
    // The element data must be measurable in a ULONG, as every size of the
    // runtime's interface is.
    if (static_cast<uint64_t>(cElements) * size > std::numeric_limits<ULONG>::max()) {
        return nullptr;
    }
    // Zeroed elements are empty strings, null interfaces and VT_EMPTY variants.
    char* block = static_cast<char*>(std::calloc(1, head + static_cast<size_t>(cElements) * size));
    if (!block) return nullptr;
    const DWORD storedVt = vt;
    std::memcpy(block + kPrefix - sizeof storedVt, &storedVt, sizeof storedVt);
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
    psa->cDims = 1;
    psa->fFeatures = featuresFor(vt);
    psa->cbElements = size;
    psa->cLocks = 0;
    psa->pvData = block + head;
    psa->rgsabound[0].cElements = cElements;
    psa->rgsabound[0].lLbound = lLbound;
    return psa;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) noexcept {
    if (!psa) return S_OK;
    if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
    const VARTYPE vt = elementType(psa);
    for (ULONG i = 0; i < psa->rgsabound[0].cElements; ++i) {
        clearElement(vt, elementAt(psa, i), psa->cbElements);
    }
    std::free(reinterpret_cast<char*>(psa) - kPrefix);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) noexcept {
    if (!ppsaOut) return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa) return S_OK;
    const VARTYPE vt = elementType(psa);
    SAFEARRAY* copy =
        SafeArrayCreateVector(vt, psa->rgsabound[0].lLbound, psa->rgsabound[0].cElements);
    if (!copy) return E_OUTOFMEMORY;
    for (ULONG i = 0; i < psa->rgsabound[0].cElements; ++i) {
        const HRESULT hr = copyElement(vt, elementAt(psa, i), elementAt(copy, i), psa->cbElements);
        if (FAILED(hr)) {
            SafeArrayDestroy(copy);
            return hr;
        }
    }
    *ppsaOut = copy;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) noexcept {
    return psa ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) noexcept {
    return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) noexcept {
    if (!psa || !pvt) return E_INVALIDARG;
    *pvt = elementType(psa);
    return *pvt == VT_EMPTY ? E_INVALIDARG : S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) noexcept {
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) noexcept {
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    // An empty vector's upper bound lies one below its lower bound.
    *plUbound = static_cast<LONG>(static_cast<int64_t>(psa->rgsabound[0].lLbound) +
                                  psa->rgsabound[0].cElements - 1);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) noexcept {
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0xFFFF) return E_UNEXPECTED;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) noexcept {
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) noexcept {
    if (!psa || !ppvData) return E_INVALIDARG;
    const HRESULT hr = SafeArrayLock(psa);
    *ppvData = SUCCEEDED(hr) ? psa->pvData : nullptr;
    return hr;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) noexcept {
    return SafeArrayUnlock(psa);
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) noexcept {
    if (!psa || !rgIndices || !pv) return E_INVALIDARG;
    ULONG index;
    const HRESULT hr = positionOf(psa, rgIndices, index);
    if (FAILED(hr)) return hr;
    return copyElement(elementType(psa), elementAt(psa, index), static_cast<char*>(pv),
                       psa->cbElements);
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) noexcept {
    if (!psa || !rgIndices) return E_INVALIDARG;
    ULONG index;
    HRESULT hr = positionOf(psa, rgIndices, index);
    if (FAILED(hr)) return hr;
    const VARTYPE vt = elementType(psa);
    // Strings and interfaces are passed as themselves, other types by
    // address; a null string or interface is a valid value.
    const bool passedAsItself = vt == VT_BSTR || vt == VT_UNKNOWN || vt == VT_DISPATCH;
    if (!pv && !passedAsItself) return E_INVALIDARG;
    const char* source =
        passedAsItself ? reinterpret_cast<const char*>(&pv) : static_cast<const char*>(pv);
    // Copy in before freeing the old value: the new one may be the old one
    // or live inside it.
    alignas(VARIANT) char fresh[sizeof(VARIANT)];
    hr = copyElement(vt, source, fresh, psa->cbElements);
    if (FAILED(hr)) return hr;
    char* element = elementAt(psa, index);
    clearElement(vt, element, psa->cbElements);
    std::memcpy(element, fresh, psa->cbElements);
    return S_OK;
}
