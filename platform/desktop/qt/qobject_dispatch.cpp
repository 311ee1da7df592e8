#include "platform/desktop/qt/qobject_dispatch.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <new>

#include "platform/desktop/object_bridge.h"

namespace tlvx::desktop {
namespace {

class BridgeObject final : public IDispatch {
public:
    explicit BridgeObject(std::unique_ptr<BridgeNode> node) : node_(std::move(node)) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        bool answered = riid == IID_IUnknown || riid == IID_IDispatch;
        if (!answered && onGuiThread()) {
            try {
                answered = node_->alive() && node_->isKind(riid);
            } catch (...) {
                answered = false;
            }
        }
        if (!answered) return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override {
        return references_.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    ULONG Release() noexcept override {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetTypeInfoCount(UINT* pctinfo) noexcept override {
        if (!pctinfo) return E_INVALIDARG;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept override {
        if (ppTInfo) *ppTInfo = nullptr;
        return DISP_E_BADINDEX;
    }

    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                          DISPID* ids) noexcept override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (const HRESULT hr = usable(); FAILED(hr)) return hr;
        try {
            const auto id = node_->memberId(QString::fromUtf16(names[0]));
            if (!id) return DISP_E_UNKNOWNNAME;
            ids[0] = *id;
            // Members take no named arguments.
            return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT* argErr) noexcept override {
        if (argErr) *argErr = 0;
        if (const HRESULT hr = usable(); FAILED(hr)) return hr;
        static DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (!params) params = &none;
        try {
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
                return node_->put(id, params->rgvarg[0]);
            }
            if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
            // Arguments arrive last to first.
            std::vector<VARIANT> args(params->cArgs);
            for (UINT i = 0; i < params->cArgs; ++i)
                args[i] = params->rgvarg[params->cArgs - 1 - i];
            VARIANT value;
            VariantInit(&value);
            const HRESULT hr = node_->get(id, args, value);
            if (FAILED(hr)) {
                VariantClear(&value);
                return hr;
            }
            if (result) {
                VariantClear(result);
                *result = value;
            } else {
                VariantClear(&value);
            }
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

private:
    ~BridgeObject() = default;

    static bool onGuiThread() {
        const QCoreApplication* app = QCoreApplication::instance();
        return app && QThread::currentThread() == app->thread();
    }
    HRESULT usable() const {
        if (!onGuiThread()) return RPC_E_WRONG_THREAD;
        return node_->alive() ? S_OK : CO_E_OBJNOTCONNECTED;
    }

    std::atomic<ULONG> references_{1};
    std::unique_ptr<BridgeNode> node_;
};

}  // namespace

IDispatch* newBridgeObject(std::unique_ptr<BridgeNode> node) {
    return new (std::nothrow) BridgeObject(std::move(node));
}

HRESULT putText(VARIANT& result, const QString& text) {
    const BSTR value = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.utf16()),
                                         static_cast<UINT>(text.size()));
    if (!value) return E_OUTOFMEMORY;
    result.vt = VT_BSTR;
    result.bstrVal = value;
    return S_OK;
}

void putNumber(VARIANT& result, qint32 number) {
    result.vt = VT_I4;
    result.lVal = number;
}

void putBoolean(VARIANT& result, bool value) {
    result.vt = VT_BOOL;
    result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void putObject(VARIANT& result, IDispatch* object) {
    result.vt = VT_DISPATCH;
    result.pdispVal = object;
}

namespace {

// The value converted to `type` as the runtime converts; nullopt when it
// does not convert.
template <class T, class Read>
std::optional<T> converted(const VARIANT& value, VARTYPE type, Read read) {
    VARIANT out;
    VariantInit(&out);
    if (FAILED(VariantChangeType(&out, &value, 0, type))) return std::nullopt;
    std::optional<T> result = read(out);
    VariantClear(&out);
    return result;
}

}  // namespace

std::optional<QString> textOf(const VARIANT& value) {
    return converted<QString>(value, VT_BSTR, [](const VARIANT& v) {
        return QString::fromUtf16(v.bstrVal, static_cast<qsizetype>(SysStringLen(v.bstrVal)));
    });
}

std::optional<qint32> numberOf(const VARIANT& value) {
    return converted<qint32>(value, VT_I4, [](const VARIANT& v) { return v.lVal; });
}

std::optional<bool> booleanOf(const VARIANT& value) {
    return converted<bool>(value, VT_BOOL, [](const VARIANT& v) { return v.boolVal != 0; });
}

}  // namespace tlvx::desktop
