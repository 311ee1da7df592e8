#include "platform/automation/dispatch_table.h"

#include <cstring>

#include "platform/automation/bstr.h"
#include "platform/automation/coercion.h"
#include "platform/automation/variant_types.h"

namespace tlvx::platform::automation {
namespace {

constexpr int kAbsent = -1;

const Method* findMethod(DispatchTable table, DISPID id) {
    for (const Method& method : table) {
        if (method.id == id) return &method;
    }
    return nullptr;
}

const Method* findMethod(DispatchTable table, const OLECHAR* name) {
    for (const Method& method : table) {
        if (sameName(method.name, name)) return &method;
    }
    return nullptr;
}

// The variants the slot is called with, cleared whatever happens.
class PreparedValues {
public:
    PreparedValues() {
        for (VARIANT& v : values_) VariantInit(&v);
    }
    ~PreparedValues() {
        for (VARIANT& v : values_) VariantClear(&v);
    }
    PreparedValues(const PreparedValues&) = delete;
    PreparedValues& operator=(const PreparedValues&) = delete;

    VARIANT& operator[](std::size_t i) { return values_[i]; }
    VARIANT* data() { return values_.data(); }

private:
    std::array<VARIANT, kMaxParameters + 1> values_;
};

// The empty value of a type, for a result before the call.
void emptyValue(VARTYPE type, VARIANT& out) {
    std::memset(&out, 0, sizeof out);
    out.vt = type;
}

// What an omitted optional argument becomes.
HRESULT defaultValue(const Parameter& parameter, VARIANT& out) {
    emptyValue(parameter.type, out);
    switch (parameter.type) {
        case VT_BSTR:
            out.bstrVal = allocBstr(parameter.defaultText ? parameter.defaultText : u"");
            if (!out.bstrVal) {
                out.vt = VT_EMPTY;
                return E_OUTOFMEMORY;
            }
            return S_OK;
        case VT_I4:
            out.lVal = parameter.defaultNumber;
            return S_OK;
        case VT_I2:
            out.iVal = static_cast<SHORT>(parameter.defaultNumber);
            return S_OK;
        case VT_BOOL:
            out.boolVal = parameter.defaultNumber ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        case VT_VARIANT:
            // A Variant keeps the mark of the missing argument.
            out.vt = VT_ERROR;
            out.scode = DISP_E_PARAMNOTFOUND;
            return S_OK;
        default:
            return S_OK;  // a null object or array
    }
}

// The mark a caller puts in place of an omitted argument, directly or
// behind a variant reference.
bool marksMissing(const VARIANT& given) {
    const VARIANT* v = &given;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    return v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND;
}

// Where each parameter's argument lies in rgvarg (kAbsent when not given):
// positional arguments in reverse order at the end, named ones first.
HRESULT locateArguments(const Method& method, const DISPPARAMS& arguments,
                        std::array<int, kMaxParameters>& where, UINT* argumentError) {
    where.fill(kAbsent);
    const UINT positional = arguments.cArgs - arguments.cNamedArgs;
    if (positional > method.parameterCount) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < positional; ++i) {
        where[i] = static_cast<int>(arguments.cArgs - 1 - i);
    }
    for (UINT j = 0; j < arguments.cNamedArgs; ++j) {
        const DISPID position = arguments.rgdispidNamedArgs[j];
        if (position < 0 || static_cast<std::size_t>(position) >= method.parameterCount ||
            where[static_cast<std::size_t>(position)] != kAbsent) {
            if (argumentError) *argumentError = j;
            return DISP_E_PARAMNOTFOUND;
        }
        where[static_cast<std::size_t>(position)] = static_cast<int>(j);
    }
    return S_OK;
}

// Puts the slot's value back where the caller's reference points, converted
// to the referenced type. Nothing changes when that conversion fails or the
// old referenced value cannot be released (a locked array).
void writeBack(VARIANT& given, VARIANT& value) {
    if (!(given.vt & VT_BYREF) || !given.byref) return;
    const VARTYPE target = given.vt & ~VT_BYREF;
    if (target == VT_VARIANT) {
        if (FAILED(VariantClear(given.pvarVal))) return;
        std::memcpy(given.pvarVal, &value, sizeof value);
        value.vt = VT_EMPTY;
        return;
    }
    // A by-reference array points at the array pointer itself.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    const std::size_t size = (target & VT_ARRAY) ? sizeof(SAFEARRAY*) : arrayElementSize(target);
    if (size == 0 || target == VT_DECIMAL) return;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, &value, 0, target))) return;
    VARIANT previous;
    emptyValue(target, previous);
    std::memcpy(&previous.llVal, given.byref, size);
    if (FAILED(VariantClear(&previous))) {
        VariantClear(&converted);
        return;
    }
    std::memcpy(given.byref, &converted.llVal, size);  // ownership moves to the caller
}

// EXCEPINFO for a method that failed with `hr`: the code, and source,
// description and help from the thread's error information, which stays
// set for a caller that asks GetErrorInfo.
void describeFailure(HRESULT hr, EXCEPINFO* exception) {
    if (!exception) return;
    std::memset(exception, 0, sizeof *exception);
    exception->scode = hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return;
    info->GetSource(&exception->bstrSource);
    info->GetDescription(&exception->bstrDescription);
    info->GetHelpFile(&exception->bstrHelpFile);
    info->GetHelpContext(&exception->dwHelpContext);
    SetErrorInfo(0, info);
    info->Release();
}

}  // namespace

HRESULT idsOfNames(DispatchTable table, REFIID riid, LPOLESTR* names, UINT count,
                   DISPID* ids) noexcept {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0 || !names || !ids) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const Method* method = names[0] ? findMethod(table, names[0]) : nullptr;
    if (!method) return DISP_E_UNKNOWNNAME;
    ids[0] = method->id;
    HRESULT hr = S_OK;
    const auto parameters = method->parameterList();
    for (UINT i = 1; i < count; ++i) {
        for (std::size_t p = 0; p < parameters.size() && names[i]; ++p) {
            if (sameName(parameters[p].name, names[i])) ids[i] = static_cast<DISPID>(p);
        }
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT invoke(DispatchTable table, IDispatch* object, DISPID id, REFIID riid, WORD flags,
               DISPPARAMS* arguments, VARIANT* result, EXCEPINFO* exception,
               UINT* argumentError) noexcept {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const Method* method = findMethod(table, id);
    // Every member is a method; reading one as a property calls it too.
    if (!method || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (!arguments || (arguments->cArgs && !arguments->rgvarg) ||
        arguments->cNamedArgs > arguments->cArgs ||
        (arguments->cNamedArgs && !arguments->rgdispidNamedArgs)) {
        return E_INVALIDARG;
    }
    std::array<int, kMaxParameters> where;
    HRESULT hr = locateArguments(*method, *arguments, where, argumentError);
    if (FAILED(hr)) return hr;

    const auto parameters = method->parameterList();
    PreparedValues values;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const Parameter& parameter = parameters[i];
        const int at = where[i];
        if (at == kAbsent || marksMissing(arguments->rgvarg[at])) {
            if (!parameter.optional) {
                if (at == kAbsent) return DISP_E_BADPARAMCOUNT;
                if (argumentError) *argumentError = static_cast<UINT>(at);
                return DISP_E_PARAMNOTOPTIONAL;
            }
            where[i] = kAbsent;  // nothing to write back to
            hr = defaultValue(parameter, values[i]);
        } else {
            // The caller's argument as the declared type. A reference is
            // read through; a Variant parameter takes a copy of whatever it
            // is given.
            hr = convertVariant(arguments->rgvarg[at], parameter.type, values[i]);
            if (FAILED(hr) && argumentError) *argumentError = static_cast<UINT>(at);
        }
        if (FAILED(hr)) return hr;
    }
    const std::size_t resultAt = parameters.size();
    if (method->result != VT_EMPTY) emptyValue(method->result, values[resultAt]);

    hr = method->call(object, values.data());
    if (FAILED(hr)) {
        describeFailure(hr, exception);
        return DISP_E_EXCEPTION;
    }
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i].byReference && where[i] != kAbsent) {
            writeBack(arguments->rgvarg[where[i]], values[i]);
        }
    }
    if (method->result != VT_EMPTY && result) {
        std::memcpy(result, &values[resultAt], sizeof *result);
        values[resultAt].vt = VT_EMPTY;
    }
    return S_OK;
}

}  // namespace tlvx::platform::automation
