// The thread's error information: an error object that a called method
// leaves behind (SetErrorInfo) and its caller picks up (GetErrorInfo).

#include <mutex>
#include <new>
#include <string>

#include "platform/automation/bstr.h"
#include "platform/automation/com_object.h"

using namespace tlvx::platform::automation;

namespace {

// The generic error object: filled through ICreateErrorInfo, read through
// IErrorInfo.
class ErrorObject final
    : public ComObject<ErrorObject, HeapLife,
                       Answers<ICreateErrorInfo, IID_IUnknown, IID_ICreateErrorInfo>,
                       Answers<IErrorInfo, IID_IErrorInfo>> {
public:
    HRESULT GetGUID(GUID* pGUID) noexcept override {
        if (!pGUID) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *pGUID = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* out) noexcept override { return give(source_, out); }
    HRESULT GetDescription(BSTR* out) noexcept override { return give(description_, out); }
    HRESULT GetHelpFile(BSTR* out) noexcept override { return give(helpFile_, out); }
    HRESULT GetHelpContext(DWORD* pdwHelpContext) noexcept override {
        if (!pdwHelpContext) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *pdwHelpContext = helpContext_;
        return S_OK;
    }

    HRESULT SetGUID(REFGUID rguid) noexcept override {
        std::lock_guard lock(mutex_);
        guid_ = rguid;
        return S_OK;
    }
    HRESULT SetSource(LPOLESTR text) noexcept override { return take(source_, text); }
    HRESULT SetDescription(LPOLESTR text) noexcept override { return take(description_, text); }
    HRESULT SetHelpFile(LPOLESTR text) noexcept override { return take(helpFile_, text); }
    HRESULT SetHelpContext(DWORD dwHelpContext) noexcept override {
        std::lock_guard lock(mutex_);
        helpContext_ = dwHelpContext;
        return S_OK;
    }

private:
    HRESULT give(const std::u16string& field, BSTR* out) {
        if (!out) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *out = allocBstr(field);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT take(std::u16string& field, LPOLESTR text) {
        try {
            std::lock_guard lock(mutex_);
            field = text ? std::u16string(text) : std::u16string();
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    std::mutex mutex_;
    GUID guid_ = GUID_NULL;
    std::u16string source_;
    std::u16string description_;
    std::u16string helpFile_;
    DWORD helpContext_ = 0;
};

// The error object of this thread, released when the thread ends.
struct ThreadError {
    IErrorInfo* info = nullptr;
    ~ThreadError() {
        if (info) info->Release();
    }
};
thread_local ThreadError threadError;

}  // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) noexcept {
    if (!pperrinfo) return E_INVALIDARG;
    *pperrinfo = new (std::nothrow) ErrorObject;
    return *pperrinfo ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) noexcept {
    if (dwReserved != 0) return E_INVALIDARG;
    // Take the new one before letting go of the old: they may be the same.
    if (perrinfo) perrinfo->AddRef();
    IErrorInfo* previous = threadError.info;
    threadError.info = perrinfo;
    if (previous) previous->Release();
    return S_OK;
}

HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) noexcept {
    if (dwReserved != 0 || !pperrinfo) return E_INVALIDARG;
    // The caller receives our reference; the thread has none left.
    *pperrinfo = threadError.info;
    threadError.info = nullptr;
    return *pperrinfo ? S_OK : S_FALSE;
}
