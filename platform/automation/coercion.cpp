#include "platform/automation/coercion.h"

#include "platform/automation/bstr.h"

namespace tlvx::platform::automation {
namespace {

// A variant that clears what it holds when it goes.
class Converted {
public:
    Converted() noexcept { VariantInit(&value_); }
    ~Converted() { VariantClear(&value_); }
    Converted(const Converted&) = delete;
    Converted& operator=(const Converted&) = delete;

    // Whether `source` converts to `type`.
    bool from(const VARIANT& source, VARTYPE type) noexcept {
        return SUCCEEDED(convertVariant(source, type, value_));
    }
    const VARIANT& get() const noexcept { return value_; }

private:
    VARIANT value_;
};

NumericValue signedNumber(int64_t value) {
    return {NumericValue::Kind::Signed, value, 0, 0};
}

NumericValue realNumber(double value) {
    return {NumericValue::Kind::Real, 0, 0, value};
}

}  // namespace

std::optional<NumericValue> numericValue(const VARIANT& v) noexcept {
    switch (v.vt) {
        case VT_EMPTY:
            return signedNumber(0);
        case VT_BOOL:
            return signedNumber(v.boolVal ? -1 : 0);
        case VT_I1:  // signed, whatever the sign of char
            return signedNumber(static_cast<int8_t>(v.cVal));
        case VT_I2:
            return signedNumber(v.iVal);
        case VT_I4:
        case VT_INT:
            return signedNumber(v.lVal);
        case VT_I8:
            return signedNumber(v.llVal);
        case VT_UI1:
            return signedNumber(v.bVal);
        case VT_UI2:
            return signedNumber(v.uiVal);
        case VT_UI4:
        case VT_UINT:
            return signedNumber(v.ulVal);
        case VT_UI8:
            return NumericValue{NumericValue::Kind::Unsigned, 0, v.ullVal, 0};
        case VT_CY:
            return NumericValue{NumericValue::Kind::Currency, v.cyVal.int64, 0, 0};
        case VT_R4:
            return realNumber(v.fltVal);
        case VT_R8:
        case VT_DATE:
            return realNumber(v.dblVal);
        default:
            return std::nullopt;
    }
}

HRESULT convertVariant(const VARIANT& value, VARTYPE type, VARIANT& out) noexcept {
    const HRESULT hr = type == VT_VARIANT ? VariantCopyInd(&out, &value)
                                          : VariantChangeType(&out, &value, 0, type);
    if (SUCCEEDED(hr) || hr == DISP_E_OVERFLOW || hr == E_OUTOFMEMORY) return hr;
    return DISP_E_TYPEMISMATCH;
}

std::optional<std::u16string> variantToText(const VARIANT& value) {
    Converted text;
    if (!text.from(value, VT_BSTR)) return std::nullopt;
    return std::u16string(bstrView(text.get().bstrVal));
}

std::optional<int32_t> variantToNumber(const VARIANT& value) noexcept {
    Converted number;
    if (!number.from(value, VT_I4)) return std::nullopt;
    return number.get().lVal;
}

std::optional<bool> variantToBoolean(const VARIANT& value) noexcept {
    Converted boolean;
    if (!boolean.from(value, VT_BOOL)) return std::nullopt;
    return boolean.get().boolVal != 0;
}

}  // namespace tlvx::platform::automation
