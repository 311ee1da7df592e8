// Calls by name with any arguments: a caller's variants of every kind (by
// value, by reference, arrays, objects, missing-argument marks, values no
// type knows), in any number, positional and named, handed to Invoke over
// a table of methods that take every parameter type the library's tables
// declare. The table coerces them, calls the slot and writes references
// back; afterwards the caller clears what it owns. Nothing may leak, no
// object may keep a reference, and a coercion that fails must say which
// argument failed.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/automation/bstr.h"
#include "platform/automation/dispatch_table.h"

using namespace tlvx;
using namespace tlvx::platform::automation;

namespace {

// Reads what it is given and answers something new through every
// reference and result, as a method of the library would.
class IFuzzMethods : public IDispatch {
public:
    virtual HRESULT Texts(BSTR text, BSTR* changed, BSTR* result) noexcept = 0;
    virtual HRESULT Numbers(LONG number, LONG* counter, SHORT small, VARIANT_BOOL* flag,
                            VARIANT_BOOL yes, LONG* result) noexcept = 0;
    virtual HRESULT Optionals(BSTR name, LONG count, VARIANT_BOOL on, VARIANT anything,
                              BSTR* result) noexcept = 0;
    virtual HRESULT Arrays(SAFEARRAY** texts, SAFEARRAY** values, SAFEARRAY** result) noexcept = 0;
    virtual HRESULT Objects(IDispatch** target, VARIANT value, BSTR* result) noexcept = 0;

protected:
    ~IFuzzMethods() = default;
};

// Touches every character, so that a dangling text is seen.
std::size_t weigh(BSTR text) {
    std::size_t sum = 0;
    for (char16_t c : bstrView(text)) sum += c;
    return sum;
}

void replaceText(BSTR* text, std::u16string_view with) {
    SysFreeString(*text);
    *text = allocBstr(with);
}

// An object that counts its references; its default property is chosen
// by the input (nothing, a text, a number, or itself again).
class CountedObject final : public IDispatch {
public:
    enum class Value { None, Text, Number, Itself };
    Value value = Value::None;
    long references = 1;

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() noexcept override { return static_cast<ULONG>(++references); }
    ULONG Release() noexcept override {
        if (references <= 0) fuzz::fail("an object was released once too often");
        return static_cast<ULONG>(--references);
    }
    HRESULT GetTypeInfoCount(UINT* count) noexcept override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                   UINT*) noexcept override {
        if (id != DISPID_VALUE || !result || value == Value::None) return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        switch (value) {
            case Value::Text:
                result->vt = VT_BSTR;
                result->bstrVal = allocBstr(u"42");
                break;
            case Value::Number:
                result->vt = VT_R8;
                result->dblVal = 2.5;
                break;
            default:
                result->vt = VT_DISPATCH;
                result->pdispVal = this;
                AddRef();
                break;
        }
        return S_OK;
    }
};

class FuzzObject final : public IFuzzMethods {
public:
    HRESULT QueryInterface(REFIID, void** ppv) noexcept override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() noexcept override { return 1; }
    ULONG Release() noexcept override { return 1; }
    HRESULT GetTypeInfoCount(UINT* count) noexcept override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                          DISPID* ids) noexcept override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* arguments, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) noexcept override;

    HRESULT Texts(BSTR text, BSTR* changed, BSTR* result) noexcept override {
        checksum += weigh(text) + weigh(*changed);
        std::u16string joined(bstrView(text));
        joined += bstrView(*changed);
        replaceText(changed, joined);
        *result = allocBstr(joined);
        return S_OK;
    }
    HRESULT Numbers(LONG number, LONG* counter, SHORT small, VARIANT_BOOL* flag, VARIANT_BOOL yes,
                    LONG* result) noexcept override {
        if (number == 13) return E_FAIL;  // a failing method: the caller learns of it
        *counter = static_cast<LONG>(static_cast<ULONG>(*counter) + 1u);
        *flag = *flag ? VARIANT_FALSE : VARIANT_TRUE;
        *result = static_cast<LONG>(static_cast<ULONG>(number) + static_cast<ULONG>(small) +
                                    static_cast<ULONG>(yes));
        return S_OK;
    }
    HRESULT Optionals(BSTR name, LONG count, VARIANT_BOOL on, VARIANT anything,
                      BSTR* result) noexcept override {
        checksum += weigh(name) + static_cast<std::size_t>(count) + static_cast<std::size_t>(on) +
                    anything.vt;
        if (anything.vt == VT_BSTR) checksum += weigh(anything.bstrVal);
        *result = allocBstr(bstrView(name));
        return S_OK;
    }
    HRESULT Arrays(SAFEARRAY** texts, SAFEARRAY** values, SAFEARRAY** result) noexcept override {
        checksum += weighTexts(*texts);
        if (*values) {
            LONG low = 0;
            LONG high = -1;
            SafeArrayGetLBound(*values, 1, &low);
            SafeArrayGetUBound(*values, 1, &high);
            checksum += static_cast<std::size_t>(high - low + 1);
            if (FAILED(SafeArrayDestroy(*values))) return E_FAIL;
        }
        *values = SafeArrayCreateVector(VT_VARIANT, 0, 2);
        if (*values) {
            VARIANT* data = nullptr;
            SafeArrayAccessData(*values, reinterpret_cast<void**>(&data));
            data[0].vt = VT_BSTR;
            data[0].bstrVal = allocBstr(u"new");
            data[1].vt = VT_I4;
            data[1].lVal = 7;
            SafeArrayUnaccessData(*values);
        }
        SafeArrayCopy(*texts, result);
        return S_OK;
    }
    HRESULT Objects(IDispatch** target, VARIANT value, BSTR* result) noexcept override {
        if (*target) {
            (*target)->Release();
            *target = nullptr;
        }
        VARIANT copy;
        VariantInit(&copy);
        const HRESULT hr = VariantChangeType(&copy, &value, 0, VT_BSTR);
        *result = allocBstr(SUCCEEDED(hr) ? bstrView(copy.bstrVal) : u"?");
        VariantClear(&copy);
        return S_OK;
    }

    std::size_t checksum = 0;

private:
    static std::size_t weighTexts(SAFEARRAY* texts) {
        if (!texts) return 0;
        LONG low = 0;
        LONG high = -1;
        if (FAILED(SafeArrayGetLBound(texts, 1, &low)) ||
            FAILED(SafeArrayGetUBound(texts, 1, &high)))
            return 0;
        std::size_t sum = 0;
        for (LONG i = low; i <= high; ++i) {
            BSTR text = nullptr;
            if (SUCCEEDED(SafeArrayGetElement(texts, &i, &text))) {
                sum += weigh(text);
                SysFreeString(text);
            }
        }
        return sum;
    }
};

using I = IFuzzMethods;
constexpr Method kMethods[] = {
    method<&I::Texts>(u"Texts", 0, VT_BSTR, {byVal(u"Text", VT_BSTR), byRef(u"Changed", VT_BSTR)}),
    method<&I::Numbers>(u"Numbers", 1, VT_I4,
                        {byVal(u"Number", VT_I4), byRef(u"Counter", VT_I4), byVal(u"Small", VT_I2),
                         byRef(u"Flag", VT_BOOL), optVal(u"Yes", VT_BOOL, -1)}),
    method<&I::Optionals>(u"Optionals", 2, VT_BSTR,
                          {optVal(u"Name", VT_BSTR, u"none"), optVal(u"Count", VT_I4, 3),
                           optVal(u"On", VT_BOOL), optVal(u"Anything", VT_VARIANT)}),
    method<&I::Arrays>(
        u"Arrays", 3, VT_ARRAY | VT_BSTR,
        {byRef(u"Texts", VT_ARRAY | VT_BSTR), byRef(u"Values", VT_ARRAY | VT_VARIANT)}),
    method<&I::Objects>(u"Objects", 4, VT_BSTR,
                        {byRef(u"Target", VT_DISPATCH), byVal(u"Value", VT_VARIANT)}),
};
static_assert(wellFormed(kMethods));

HRESULT FuzzObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                  DISPID* ids) noexcept {
    return idsOfNames(kMethods, riid, names, count, ids);
}
HRESULT FuzzObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* arguments,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept {
    return invoke(kMethods, this, id, riid, flags, arguments, result, exception, argumentError);
}

// Scalar types with any bits, and type codes a variant may not hold (with
// their data zero, since some of them would name memory).
constexpr VARTYPE kScalarTypes[] = {VT_EMPTY, VT_NULL, VT_I2,   VT_I4,  VT_R4,   VT_R8,
                                    VT_CY,    VT_DATE, VT_BOOL, VT_I1,  VT_UI1,  VT_UI2,
                                    VT_UI4,   VT_I8,   VT_UI8,  VT_INT, VT_UINT, VT_ERROR};
constexpr VARTYPE kForeignTypes[] = {15, 24, 25, 26, 27, 28,     29,         30,       31,
                                     36, 64, 65, 71, 72, 0x0FFF, VT_VARIANT, VT_ARRAY, VT_BYREF};
constexpr VARTYPE kElementTypes[] = {VT_BSTR, VT_VARIANT, VT_I4, VT_I2, VT_BOOL, VT_UI1, VT_R8};

// What the caller owns besides its argument variants: the places its
// references point to (deques: a reference into one stays valid).
struct CallerStore {
    std::deque<VARIANT> variants;
    std::deque<BSTR> texts;
    std::deque<SAFEARRAY*> arrays;
    std::deque<IDispatch*> objects;
    std::deque<std::array<unsigned char, 16>> scalars;

    CallerStore() = default;
    ~CallerStore() {
        for (VARIANT& v : variants) VariantClear(&v);
        for (BSTR text : texts) SysFreeString(text);
        for (SAFEARRAY* array : arrays) SafeArrayDestroy(array);
        for (IDispatch* object : objects)
            if (object) object->Release();
    }
    CallerStore(const CallerStore&) = delete;
    CallerStore& operator=(const CallerStore&) = delete;
};

class ArgumentMaker {
public:
    ArgumentMaker(FuzzedDataProvider& input, CallerStore& store, CountedObject& object)
        : in_(input), store_(store), object_(object) {}

    BSTR text() {
        const std::string bytes = in_.ConsumeRandomLengthString(24);
        std::u16string chars;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            chars += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (bytes.size() % 2)
            chars += static_cast<char16_t>(static_cast<unsigned char>(bytes.back()));
        return allocBstr(chars);
    }

    IDispatch* object() {
        if (in_.ConsumeBool()) return nullptr;
        object_.AddRef();
        return &object_;
    }

    // An array of `element`s; variants in it are made to `depth`.
    SAFEARRAY* array(VARTYPE element, int depth) {
        if (in_.ConsumeIntegralInRange(0, 7) == 0) return nullptr;
        const auto count = in_.ConsumeIntegralInRange<ULONG>(0, 4);
        SAFEARRAY* array = SafeArrayCreateVector(element, in_.ConsumeIntegralInRange(-2, 2), count);
        if (!array) return nullptr;
        LONG low = 0;
        SafeArrayGetLBound(array, 1, &low);
        for (ULONG i = 0; i < count; ++i) {
            LONG at = low + static_cast<LONG>(i);
            VARIANT value;
            VariantInit(&value);
            if (element == VT_VARIANT) {
                fill(value, depth);
                SafeArrayPutElement(array, &at, &value);
            } else if (element == VT_BSTR) {
                BSTR t = text();
                SafeArrayPutElement(array, &at, t);
                SysFreeString(t);
            } else {
                auto bits = in_.ConsumeIntegral<std::uint64_t>();
                SafeArrayPutElement(array, &at, &bits);
            }
            VariantClear(&value);
        }
        return array;
    }

    // A caller's argument; `depth` limits references to references.
    void fill(VARIANT& v, int depth) {
        VariantInit(&v);
        switch (in_.ConsumeIntegralInRange(0, 11)) {
            case 0: {
                v.vt = in_.PickValueInArray(kScalarTypes);
                const auto bits = in_.ConsumeIntegral<std::uint64_t>();
                std::memcpy(&v.llVal, &bits, sizeof bits);
                break;
            }
            case 1:
                v.vt = in_.PickValueInArray(kForeignTypes);
                break;
            case 2:
                v.vt = VT_BSTR;
                v.bstrVal = in_.ConsumeBool() ? text() : nullptr;
                break;
            case 3:
                v.vt = VT_ERROR;
                v.scode = DISP_E_PARAMNOTFOUND;
                break;
            case 4:
                v.vt = VT_DISPATCH;
                v.pdispVal = object();
                break;
            case 5: {
                const VARTYPE element = elementType(depth);
                v.vt = VT_ARRAY | element;
                v.parray = array(element, depth - 1);
                break;
            }
            case 6:
                for (auto* word : {&v.decVal.Hi32, &v.decVal.Lo32, &v.decVal.Mid32})
                    *word = in_.ConsumeIntegral<ULONG>();
                v.decVal.scale = in_.ConsumeIntegral<BYTE>();
                v.decVal.sign = in_.ConsumeIntegral<BYTE>();
                v.vt = VT_DECIMAL;  // the decimal overlays the type's place
                break;
            case 7:
                if (depth > 0) {
                    store_.variants.emplace_back();
                    fill(store_.variants.back(), depth - 1);
                    v.vt = VT_BYREF | VT_VARIANT;
                    v.pvarVal = &store_.variants.back();
                }
                break;
            case 8:
                store_.texts.push_back(in_.ConsumeBool() ? text() : nullptr);
                v.vt = VT_BYREF | VT_BSTR;
                v.pbstrVal = &store_.texts.back();
                break;
            case 9: {
                const VARTYPE element = elementType(depth);
                store_.arrays.push_back(array(element, depth - 1));
                v.vt = VT_BYREF | VT_ARRAY | element;
                v.pparray = &store_.arrays.back();
                break;
            }
            case 10:
                store_.objects.push_back(object());
                v.vt = VT_BYREF | VT_DISPATCH;
                v.ppdispVal = &store_.objects.back();
                break;
            default: {
                store_.scalars.emplace_back();
                auto& place = store_.scalars.back();
                const auto bits = in_.ConsumeIntegral<std::uint64_t>();
                std::memcpy(place.data(), &bits, sizeof bits);
                v.vt = VT_BYREF | in_.PickValueInArray(kScalarTypes);
                if ((v.vt & VT_TYPEMASK) == VT_EMPTY || (v.vt & VT_TYPEMASK) == VT_NULL)
                    v.vt = VT_BYREF | VT_I4;
                v.byref = in_.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : place.data();
                break;
            }
        }
    }

private:
    // Arrays of variants only while there is depth left for their elements.
    VARTYPE elementType(int depth) {
        const VARTYPE element = in_.PickValueInArray(kElementTypes);
        return element == VT_VARIANT && depth <= 0 ? VT_I4 : element;
    }

    FuzzedDataProvider& in_;
    CallerStore& store_;
    CountedObject& object_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    static FuzzObject target;
    CountedObject object;
    object.value =
        in.PickValueInArray({CountedObject::Value::None, CountedObject::Value::Text,
                             CountedObject::Value::Number, CountedObject::Value::Itself});
    {
        CallerStore store;
        ArgumentMaker make(in, store, object);

        const DISPID id = kFirstDispId + in.ConsumeIntegralInRange(-1, 5);
        const WORD flags = in.ConsumeBool() ? DISPATCH_METHOD : in.ConsumeIntegral<WORD>();
        const auto count = in.ConsumeIntegralInRange<UINT>(0, 7);
        const auto named = in.ConsumeIntegralInRange<UINT>(0, count);
        std::vector<VARIANT> arguments(count);
        std::vector<DISPID> names(named);
        for (DISPID& name : names) name = in.ConsumeIntegralInRange(-2, 6);
        for (VARIANT& argument : arguments) make.fill(argument, 2);

        DISPPARAMS parameters{arguments.data(), names.data(), count, named};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO exception;
        std::memset(&exception, 0, sizeof exception);
        UINT failedArgument = 0xFFFF'FFFFu;
        const HRESULT hr =
            target.Invoke(id, IID_NULL, 0, flags, &parameters, in.ConsumeBool() ? &result : nullptr,
                          &exception, &failedArgument);
        if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTOPTIONAL)
            fuzz::require(failedArgument < count, "a refused argument is not named");
        if (hr != DISP_E_EXCEPTION)
            fuzz::require(!exception.bstrSource && !exception.bstrDescription,
                          "an exception is described without being raised");
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        VariantClear(&result);
        // The caller clears its own arguments; references point into the
        // store, which it clears when it goes.
        for (VARIANT& argument : arguments) VariantClear(&argument);
    }
    fuzz::require(object.references == 1, "an object kept a reference or lost one");
    return 0;
}
