#include "platform/desktop/qt/qobject_dispatch.h"

#include <QCoreApplication>
#include <QThread>

#include <new>

#include "platform/automation/coercion.h"
#include "platform/automation/com_object.h"
#include "platform/desktop/object_bridge.h"

namespace tlvx::desktop {
namespace {

namespace automation = platform::automation;

class BridgeObject final : public automation::DispatchObject<
                               BridgeObject, automation::HeapLife,
                               automation::Answers<IDispatch, IID_IUnknown, IID_IDispatch>> {
public:
    explicit BridgeObject(std::unique_ptr<BridgeNode> node) : node_(std::move(node)) {}

    // The kinds of control the object is (platform/automation/control_kinds.h), asked only on
    // the thread of its QObject.
    void* moreInterfaces(REFIID riid) noexcept {
        if (!onGuiThread()) return nullptr;
        try {
            if (node_->alive() && node_->isKind(riid)) return static_cast<IDispatch*>(this);
        } catch (...) {
        }
        return nullptr;
    }

    // Members are the node's, found by name and called by it.
    HRESULT memberIds(REFIID, LPOLESTR* names, UINT count, DISPID* ids) noexcept {
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

    HRESULT invokeMember(DISPID id, REFIID, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO*, UINT* argErr) noexcept {
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
    static bool onGuiThread() {
        const QCoreApplication* app = QCoreApplication::instance();
        return app && QThread::currentThread() == app->thread();
    }
    HRESULT usable() const {
        if (!onGuiThread()) return RPC_E_WRONG_THREAD;
        return node_->alive() ? S_OK : CO_E_OBJNOTCONNECTED;
    }

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

std::optional<QString> textOf(const VARIANT& value) {
    const auto text = automation::variantToText(value);
    if (!text) return std::nullopt;
    return QString::fromUtf16(text->data(), static_cast<qsizetype>(text->size()));
}

std::optional<qint32> numberOf(const VARIANT& value) {
    return automation::variantToNumber(value);
}

std::optional<bool> booleanOf(const VARIANT& value) {
    return automation::variantToBoolean(value);
}

}  // namespace tlvx::desktop
