#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "include/tallyvex/ole_types.h"
#include "platform/registry/registry_store.h"
#include "tests/support/automation_values.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace tlvx::test;

std::u16string text(BSTR b) {
    return b ? std::u16string(b, SysStringLen(b)) : std::u16string();
}

// An object whose references can be counted. It answers DISPID_VALUE with
// `value` when one is given.
class CountingObject final : public IDispatch {
public:
    explicit CountingObject(std::optional<LONG> value = std::nullopt) : value_(value) {}
    ULONG references() const { return references_; }

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (riid != IID_IUnknown && riid != IID_IDispatch) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override { return ++references_; }
    ULONG Release() noexcept override { return --references_; }
    HRESULT GetTypeInfoCount(UINT* count) noexcept override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                   UINT*) noexcept override {
        if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || !value_) {
            return DISP_E_MEMBERNOTFOUND;
        }
        result->vt = VT_I4;
        result->lVal = *value_;
        return S_OK;
    }

private:
    ULONG references_ = 1;
    std::optional<LONG> value_;
};

// Converts (and frees) `source`; the result is left in `out`.
HRESULT convert(VARIANT source, VARTYPE vt, VARIANT& out, USHORT flags = 0) {
    VariantInit(&out);
    const HRESULT hr = VariantChangeType(&out, &source, flags, vt);
    VariantClear(&source);
    return hr;
}

// The text a conversion to VT_BSTR gives, or the failure as text.
std::u16string asText(VARIANT source, USHORT flags = 0) {
    VARIANT out;
    const HRESULT hr = convert(source, VT_BSTR, out, flags);
    if (FAILED(hr)) return u"<failed>";
    std::u16string result = text(out.bstrVal);
    VariantClear(&out);
    return result;
}

// ---------------------------------------------------------------------------

TEST(Bstr, HoldsEmbeddedNulsAndKnowsItsLength) {
    BSTR s = SysAllocStringLen(u"a\0b\0", 4);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 4u);
    EXPECT_EQ(SysStringByteLen(s), 8u);
    EXPECT_EQ(text(s), std::u16string(u"a\0b\0", 4));
    EXPECT_EQ(s[4], u'\0');  // terminated after the counted text
    SysFreeString(s);
}

TEST(Bstr, NullAndEmptyAreDistinctButBothEmpty) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(empty[0], u'\0');
    SysFreeString(empty);

    BSTR uninitialised = SysAllocStringLen(nullptr, 5);
    ASSERT_NE(uninitialised, nullptr);
    EXPECT_EQ(SysStringLen(uninitialised), 5u);
    EXPECT_EQ(uninitialised[5], u'\0');
    SysFreeString(uninitialised);
}

TEST(Bstr, OddByteLengthSurvivesCopy) {
    BSTR bytes = SysAllocStringByteLen("abc", 3);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(SysStringByteLen(bytes), 3u);
    EXPECT_EQ(SysStringLen(bytes), 1u);
    VARIANT source, copy;
    source.vt = VT_BSTR;
    source.bstrVal = bytes;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(SysStringByteLen(copy.bstrVal), 3u);
    EXPECT_EQ(std::memcmp(copy.bstrVal, "abc", 3), 0);
    VariantClear(&copy);
    VariantClear(&source);
}

TEST(Bstr, ReallocationMayReadFromTheOldString) {
    BSTR s = SysAllocString(u"hello");
    ASSERT_TRUE(SysReAllocStringLen(&s, s + 1, 3));
    EXPECT_EQ(text(s), u"ell");
    ASSERT_TRUE(SysReAllocString(&s, u"x"));
    EXPECT_EQ(text(s), u"x");
    SysFreeString(s);
}

TEST(Bstr, RefusesLengthsThePrefixCannotHold) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

// ---------------------------------------------------------------------------

TEST(Variant, ClearReleasesWhatItOwnsButNotReferences) {
    CountingObject object;
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = &object;
    object.AddRef();
    ASSERT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(object.references(), 1u);

    // An array of interfaces releases every element.
    SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 2);
    LONG i = 0;
    SafeArrayPutElement(array, &i, static_cast<IUnknown*>(&object));
    i = 1;
    SafeArrayPutElement(array, &i, static_cast<IUnknown*>(&object));
    EXPECT_EQ(object.references(), 3u);
    v.vt = VT_ARRAY | VT_UNKNOWN;
    v.parray = array;
    ASSERT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(object.references(), 1u);

    // A reference leaves its target alone.
    BSTR target = SysAllocString(u"kept");
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = &target;
    ASSERT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(text(target), u"kept");
    SysFreeString(target);
}

TEST(Variant, ClearRefusesLockedArraysAndUnknownTypes) {
    VARIANT v;
    v.vt = VT_ARRAY | VT_I4;
    v.parray = SafeArrayCreateVector(VT_I4, 0, 1);
    SafeArrayLock(v.parray);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_I4);
    SafeArrayUnlock(v.parray);
    EXPECT_EQ(VariantClear(&v), S_OK);

    v.vt = 15;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    v.vt = VT_VARIANT;  // only by reference
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
}

TEST(Variant, CopyIsDeep) {
    CountingObject object;
    VARIANT source = str(u"text");
    VARIANT copy = str(u"replaced");  // freed by the copy
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_NE(copy.bstrVal, source.bstrVal);
    source.bstrVal[0] = u'T';
    EXPECT_EQ(text(copy.bstrVal), u"text");
    VariantClear(&source);

    source.vt = VT_UNKNOWN;
    source.punkVal = &object;
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(object.references(), 2u);
    VariantClear(&copy);
    EXPECT_EQ(object.references(), 1u);

    source.vt = VT_ARRAY | VT_BSTR;
    source.parray = SafeArrayCreateVector(VT_BSTR, 1, 1);
    LONG i = 1;
    BSTR put = SysAllocString(u"element");
    SafeArrayPutElement(source.parray, &i, put);
    SysFreeString(put);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    ASSERT_NE(copy.parray, source.parray);
    VariantClear(&source);  // the copy must not share its strings
    BSTR element = nullptr;
    ASSERT_EQ(SafeArrayGetElement(copy.parray, &i, &element), S_OK);
    EXPECT_EQ(text(element), u"element");
    SysFreeString(element);
    VariantClear(&copy);
}

TEST(Variant, FailedCopyLeavesTheDestination) {
    VARIANT source;
    source.vt = 15;
    VARIANT dest = i4(7);
    EXPECT_EQ(VariantCopy(&dest, &source), DISP_E_BADVARTYPE);
    EXPECT_EQ(dest.vt, VT_I4);
    EXPECT_EQ(dest.lVal, 7);
    EXPECT_EQ(VariantCopy(&dest, &dest), S_OK);
}

TEST(Variant, CopyIndFollowsTheReference) {
    LONG number = 41;
    VARIANT ref;
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &number;
    VARIANT plain;
    VariantInit(&plain);
    ASSERT_EQ(VariantCopy(&plain, &ref), S_OK);
    EXPECT_EQ(plain.vt, VT_BYREF | VT_I4);  // a plain copy keeps the reference
    ASSERT_EQ(VariantCopyInd(&plain, &ref), S_OK);
    EXPECT_EQ(plain.vt, VT_I4);
    EXPECT_EQ(plain.lVal, 41);

    VARIANT inner = str(u"inner");
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = &inner;
    ASSERT_EQ(VariantCopyInd(&ref, &ref), S_OK);  // in place
    EXPECT_EQ(ref.vt, VT_BSTR);
    EXPECT_NE(ref.bstrVal, inner.bstrVal);
    VariantClear(&ref);
    VariantClear(&inner);
}

// ---------------------------------------------------------------------------

struct TextToNumber {
    std::u16string text;
    VARTYPE target;
    HRESULT expected;
    LONGLONG value;
};

TEST(VariantChangeType, TextToIntegers) {
    const TextToNumber cases[] = {
        {u"12", VT_I4, S_OK, 12},
        {u" 12 ", VT_I4, S_OK, 12},
        {u"\t-7\r\n", VT_I4, S_OK, -7},
        {u"+3", VT_I2, S_OK, 3},
        {u"1,000", VT_I4, S_OK, 1000},
        {u"2.5", VT_I4, S_OK, 2},
        {u"3.5", VT_I4, S_OK, 4},
        {u"-2.5", VT_I4, S_OK, -2},
        {u"1e3", VT_I4, S_OK, 1000},
        {u".5e1", VT_I4, S_OK, 5},
        {u"&HFF", VT_I4, S_OK, 255},
        {u"&hFFFF", VT_I2, S_OK, -1},
        {u"&O17", VT_UI1, S_OK, 15},
        {u"255", VT_UI1, S_OK, 255},
        {u"9223372036854775807", VT_I8, S_OK, INT64_MAX},
        {u"abc", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"   ", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"12abc", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"1 2", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u",5", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"1e", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"&H", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"&HG", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {std::u16string(u"1\0", 2), VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"2147483648", VT_I4, DISP_E_OVERFLOW, 0},
        {u"-32769", VT_I2, DISP_E_OVERFLOW, 0},
        {u"256", VT_UI1, DISP_E_OVERFLOW, 0},
        {u"-1", VT_UI4, DISP_E_OVERFLOW, 0},
        {u"9223372036854775808", VT_I8, DISP_E_OVERFLOW, 0},
        {u"1e400", VT_R8, DISP_E_OVERFLOW, 0},
        {u"1e400", VT_I4, DISP_E_OVERFLOW, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()) + " to vt " +
                     std::to_string(c.target));
        VARIANT out;
        ASSERT_EQ(convert(str(c.text), c.target, out), c.expected);
        if (FAILED(c.expected)) continue;
        ASSERT_EQ(out.vt, c.target);
        switch (c.target) {
            case VT_I2:
                EXPECT_EQ(out.iVal, c.value);
                break;
            case VT_I4:
                EXPECT_EQ(out.lVal, c.value);
                break;
            case VT_UI1:
                EXPECT_EQ(out.bVal, c.value);
                break;
            case VT_I8:
                EXPECT_EQ(out.llVal, c.value);
                break;
        }
    }
}

TEST(VariantChangeType, LargeUnsignedTextStaysExact) {
    VARIANT out;
    ASSERT_EQ(convert(str(u"18446744073709551615"), VT_UI8, out), S_OK);
    EXPECT_EQ(out.ullVal, UINT64_MAX);
    EXPECT_EQ(convert(str(u"18446744073709551616"), VT_UI8, out), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, RealToIntegerRoundsHalfToEven) {
    const struct {
        double in;
        HRESULT expected;
        SHORT out;
    } cases[] = {
        {0.5, S_OK, 0},           {1.5, S_OK, 2},
        {2.5, S_OK, 2},           {-0.5, S_OK, 0},
        {-1.5, S_OK, -2},         {2.4999, S_OK, 2},
        {32767.4, S_OK, 32767},   {32767.5, DISP_E_OVERFLOW, 0},
        {-32768.5, S_OK, -32768}, {-32769.0, DISP_E_OVERFLOW, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        VARIANT out;
        ASSERT_EQ(convert(r8(c.in), VT_I2, out), c.expected);
        if (SUCCEEDED(c.expected)) {
            EXPECT_EQ(out.iVal, c.out);
        }
    }
    VARIANT out;
    EXPECT_EQ(convert(r8(-0.4), VT_UI1, out), S_OK);  // rounds to 0, no overflow
    EXPECT_EQ(convert(r8(9.3e18), VT_I8, out), DISP_E_OVERFLOW);
    EXPECT_EQ(convert(r8(std::nan("")), VT_I4, out), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, IntegerRangesOverflow) {
    VARIANT out;
    EXPECT_EQ(convert(i4(255), VT_UI1, out), S_OK);
    EXPECT_EQ(convert(i4(256), VT_UI1, out), DISP_E_OVERFLOW);
    EXPECT_EQ(convert(i4(-1), VT_UI1, out), DISP_E_OVERFLOW);
    EXPECT_EQ(convert(i4(-129), VT_I1, out), DISP_E_OVERFLOW);
    VARIANT big;
    big.vt = VT_I8;
    big.llVal = INT64_C(1) << 40;
    EXPECT_EQ(convert(big, VT_I4, out), DISP_E_OVERFLOW);
    big.vt = VT_UI8;
    big.ullVal = UINT64_MAX;
    EXPECT_EQ(convert(big, VT_I8, out), DISP_E_OVERFLOW);
    EXPECT_EQ(convert(r8(1e39), VT_R4, out), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, Booleans) {
    VARIANT out;
    ASSERT_EQ(convert(boolean(true), VT_I2, out), S_OK);
    EXPECT_EQ(out.iVal, -1);
    ASSERT_EQ(convert(boolean(true), VT_UI1, out), S_OK);
    EXPECT_EQ(out.bVal, 255);  // True is all ones
    ASSERT_EQ(convert(boolean(false), VT_R8, out), S_OK);
    EXPECT_EQ(out.dblVal, 0.0);
    ASSERT_EQ(convert(r8(0.25), VT_BOOL, out), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);

    EXPECT_EQ(asText(boolean(true)), u"-1");
    EXPECT_EQ(asText(boolean(false)), u"0");
    EXPECT_EQ(asText(boolean(true), VARIANT_ALPHABOOL), u"True");
    EXPECT_EQ(asText(boolean(false), VARIANT_ALPHABOOL), u"False");

    const struct {
        std::u16string in;
        HRESULT expected;
        VARIANT_BOOL out;
    } words[] = {
        {u"True", S_OK, VARIANT_TRUE},    {u" FALSE ", S_OK, VARIANT_FALSE},
        {u"true", S_OK, VARIANT_TRUE},    {u"0", S_OK, VARIANT_FALSE},
        {u"-1", S_OK, VARIANT_TRUE},      {u"2.5", S_OK, VARIANT_TRUE},
        {u"yes", DISP_E_TYPEMISMATCH, 0}, {u"", DISP_E_TYPEMISMATCH, 0},
    };
    for (const auto& w : words) {
        SCOPED_TRACE(std::string(w.in.begin(), w.in.end()));
        ASSERT_EQ(convert(str(w.in), VT_BOOL, out), w.expected);
        if (SUCCEEDED(w.expected)) {
            EXPECT_EQ(out.boolVal, w.out);
        }
    }
}

TEST(VariantChangeType, NumbersToText) {
    EXPECT_EQ(asText(i4(-42)), u"-42");
    EXPECT_EQ(asText(r8(0.1)), u"0.1");
    EXPECT_EQ(asText(r8(2.5)), u"2.5");
    EXPECT_EQ(asText(r8(100)), u"100");
    EXPECT_EQ(asText(r8(1e20)), u"1E+20");
    EXPECT_EQ(asText(r8(1.5e-7)), u"1.5E-07");
    EXPECT_EQ(asText(r8(-0.0)), u"0");
    EXPECT_EQ(asText(r8(1.0 / 3)), u"0.333333333333333");
    EXPECT_EQ(asText(r8(123456789012345678.0)), u"1.23456789012346E+17");
    VARIANT v;
    v.vt = VT_R4;
    v.fltVal = 0.1f;
    EXPECT_EQ(asText(v), u"0.1");
    v.vt = VT_CY;
    v.cyVal.int64 = 125000;
    EXPECT_EQ(asText(v), u"12.5");
    v.cyVal.int64 = -5;
    EXPECT_EQ(asText(v), u"-0.0005");
    v.vt = VT_UI8;
    v.ullVal = UINT64_MAX;
    EXPECT_EQ(asText(v), u"18446744073709551615");

    // Empty is the empty string, allocated.
    VariantInit(&v);
    VARIANT out;
    ASSERT_EQ(convert(v, VT_BSTR, out), S_OK);
    ASSERT_NE(out.bstrVal, nullptr);
    EXPECT_EQ(SysStringLen(out.bstrVal), 0u);
    VariantClear(&out);
}

TEST(VariantChangeType, EmptyNullAndErrorCodes) {
    VARIANT v, out;
    VariantInit(&v);
    ASSERT_EQ(convert(v, VT_I4, out), S_OK);
    EXPECT_EQ(out.lVal, 0);
    v.vt = VT_NULL;
    EXPECT_EQ(convert(v, VT_I4, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(convert(v, VT_BSTR, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(convert(v, VT_EMPTY, out), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(convert(v, VT_NULL, out), S_OK);

    ASSERT_EQ(convert(i4(static_cast<LONG>(DISP_E_PARAMNOTFOUND)), VT_ERROR, out), S_OK);
    EXPECT_EQ(out.scode, DISP_E_PARAMNOTFOUND);
    v = out;
    ASSERT_EQ(convert(v, VT_I4, out), S_OK);
    EXPECT_EQ(out.lVal, DISP_E_PARAMNOTFOUND);
    v.vt = VT_ERROR;
    EXPECT_EQ(convert(v, VT_BSTR, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(convert(str(u"1"), VT_ERROR, out), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, FollowsReferencesAndConvertsInPlace) {
    LONG number = 17;
    VARIANT ref;
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &number;
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_EQ(text(out.bstrVal), u"17");
    VariantClear(&out);

    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = nullptr;
    EXPECT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), E_INVALIDARG);

    VARIANT v = str(u" 12 ");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);  // the string is freed
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 12);
}

TEST(VariantChangeType, FailureLeavesTheDestination) {
    VARIANT dest = str(u"keep");
    VARIANT source = str(u"abc");
    EXPECT_EQ(VariantChangeType(&dest, &source, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(dest.vt, VT_BSTR);
    EXPECT_EQ(text(dest.bstrVal), u"keep");
    EXPECT_EQ(VariantChangeType(&dest, &source, 0, VT_BYREF | VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeType(&dest, &source, 0, VT_VARIANT), DISP_E_BADVARTYPE);
    VariantClear(&dest);
    VariantClear(&source);
}

TEST(VariantChangeType, ObjectsGiveTheirValueProperty) {
    CountingObject withValue(42);
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = &withValue;
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(text(out.bstrVal), u"42");
    VariantClear(&out);
    EXPECT_EQ(VariantChangeType(&out, &v, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(withValue.references(), 1u);

    CountingObject withoutValue;
    v.pdispVal = &withoutValue;
    EXPECT_EQ(VariantChangeType(&out, &v, 0, VT_I4), DISP_E_TYPEMISMATCH);

    // Between interface types the object is asked for the other interface.
    v.vt = VT_UNKNOWN;
    ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(out.pdispVal, &withoutValue);
    EXPECT_EQ(withoutValue.references(), 2u);
    VariantClear(&out);
    EXPECT_EQ(withoutValue.references(), 1u);
}

// ---------------------------------------------------------------------------

TEST(SafeArray, EmptyVectorHasUpperBoundBelowLowerBound) {
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 0, 0);
    ASSERT_NE(a, nullptr);
    LONG bound = 99;
    ASSERT_EQ(SafeArrayGetUBound(a, 1, &bound), S_OK);
    EXPECT_EQ(bound, -1);
    ASSERT_EQ(SafeArrayGetLBound(a, 1, &bound), S_OK);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(SafeArrayGetUBound(a, 2, &bound), DISP_E_BADINDEX);
    LONG i = 0;
    BSTR element = nullptr;
    EXPECT_EQ(SafeArrayGetElement(a, &i, &element), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);

    a = SafeArrayCreateVector(VT_I4, 5, 0);
    ASSERT_EQ(SafeArrayGetUBound(a, 1, &bound), S_OK);
    EXPECT_EQ(bound, 4);
    SafeArrayDestroy(a);
}

TEST(SafeArray, CreatesOnlySupportedTypesAndSizes) {
    for (VARTYPE vt :
         {VT_BSTR, VT_VARIANT, VT_I4, VT_I2, VT_UI1, VT_BOOL, VT_UNKNOWN, VT_DISPATCH, VT_R8}) {
        SAFEARRAY* a = SafeArrayCreateVector(vt, 0, 3);
        ASSERT_NE(a, nullptr) << vt;
        VARTYPE stored = 0;
        EXPECT_EQ(SafeArrayGetVartype(a, &stored), S_OK);
        EXPECT_EQ(stored, vt);
        EXPECT_EQ(SafeArrayGetDim(a), 1u);
        SafeArrayDestroy(a);
    }
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_RECORD, 0, 1), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 0, 0xFFFFFFFFu), nullptr);  // too large
}

TEST(SafeArray, StringElementsAreCopiedInAndOut) {
    SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 1, 2);
    LONG i = 1;
    BSTR mine = SysAllocString(u"first");
    ASSERT_EQ(SafeArrayPutElement(a, &i, mine), S_OK);
    SysFreeString(mine);  // the array holds its own copy
    mine = SysAllocString(u"second");
    ASSERT_EQ(SafeArrayPutElement(a, &i, mine), S_OK);  // frees "first"
    SysFreeString(mine);

    BSTR out1 = nullptr, out2 = nullptr;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out1), S_OK);
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out2), S_OK);
    EXPECT_NE(out1, out2);
    EXPECT_EQ(text(out1), u"second");
    SysFreeString(out1);
    SysFreeString(out2);

    i = 2;  // never set: a null string
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out1), S_OK);
    EXPECT_EQ(out1, nullptr);
    i = 0;
    EXPECT_EQ(SafeArrayPutElement(a, &i, nullptr), DISP_E_BADINDEX);
    i = 3;
    EXPECT_EQ(SafeArrayGetElement(a, &i, &out1), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST(SafeArray, InterfaceAndVariantElementsKeepTheirOwnReferences) {
    CountingObject object;
    SAFEARRAY* a = SafeArrayCreateVector(VT_DISPATCH, 0, 1);
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(a, &i, static_cast<IDispatch*>(&object)), S_OK);
    EXPECT_EQ(object.references(), 2u);
    IDispatch* out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &out), S_OK);
    EXPECT_EQ(out, &object);
    EXPECT_EQ(object.references(), 3u);
    out->Release();
    ASSERT_EQ(SafeArrayPutElement(a, &i, nullptr), S_OK);  // releases the old one
    EXPECT_EQ(object.references(), 1u);
    SafeArrayDestroy(a);

    a = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    VARIANT element;
    element.vt = VT_UNKNOWN;
    element.punkVal = &object;
    ASSERT_EQ(SafeArrayPutElement(a, &i, &element), S_OK);
    EXPECT_EQ(object.references(), 2u);
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(SafeArrayGetElement(a, &i, &copy), S_OK);
    EXPECT_EQ(object.references(), 3u);
    VariantClear(&copy);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
    EXPECT_EQ(object.references(), 1u);
}

TEST(SafeArray, LockedArrayIsNotDestroyed) {
    SAFEARRAY* a = SafeArrayCreateVector(VT_I4, 0, 3);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(a, &data), S_OK);
    static_cast<LONG*>(data)[2] = 77;
    EXPECT_EQ(SafeArrayDestroy(a), DISP_E_ARRAYISLOCKED);
    LONG i = 2, value = 0;
    ASSERT_EQ(SafeArrayGetElement(a, &i, &value), S_OK);  // still usable
    EXPECT_EQ(value, 77);
    ASSERT_EQ(SafeArrayUnaccessData(a), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(a), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

// ---------------------------------------------------------------------------

IErrorInfo* makeError(const char16_t* description) {
    ICreateErrorInfo* create = nullptr;
    EXPECT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<OLECHAR*>(description));
    create->SetSource(const_cast<OLECHAR*>(u"Morcel_TLVX.TxtFile"));
    create->SetHelpContext(5);
    IErrorInfo* info = nullptr;
    EXPECT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    create->Release();
    return info;
}

std::u16string descriptionOf(IErrorInfo* info) {
    BSTR b = nullptr;
    info->GetDescription(&b);
    std::u16string result = text(b);
    SysFreeString(b);
    return result;
}

TEST(ErrorInfo, IsHandedOutOnceAndThenCleared) {
    IErrorInfo* info = makeError(u"File not found");
    ASSERT_EQ(SetErrorInfo(0, info), S_OK);
    info->Release();  // the thread holds its own reference

    IErrorInfo* got = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    ASSERT_EQ(got, info);
    EXPECT_EQ(descriptionOf(got), u"File not found");
    BSTR source = nullptr;
    got->GetSource(&source);
    EXPECT_EQ(text(source), u"Morcel_TLVX.TxtFile");
    SysFreeString(source);
    DWORD context = 0;
    got->GetHelpContext(&context);
    EXPECT_EQ(context, 5u);
    got->Release();

    EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
    EXPECT_EQ(got, nullptr);
}

// The references an object has, from what AddRef and Release report.
ULONG referencesOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(ErrorInfo, SettingReplacesAndReleasesThePrevious) {
    IErrorInfo* first = makeError(u"first");
    ASSERT_EQ(SetErrorInfo(0, first), S_OK);
    EXPECT_EQ(referencesOf(first), 2u);
    ASSERT_EQ(SetErrorInfo(0, first), S_OK);  // the same one again
    EXPECT_EQ(referencesOf(first), 2u);
    IErrorInfo* second = makeError(u"second");
    ASSERT_EQ(SetErrorInfo(0, second), S_OK);
    EXPECT_EQ(referencesOf(first), 1u);
    EXPECT_EQ(referencesOf(second), 2u);
    ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(referencesOf(second), 1u);
    IErrorInfo* got = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
    first->Release();
    second->Release();
}

TEST(ErrorInfo, BelongsToOneThread) {
    IErrorInfo* info = makeError(u"main");
    SetErrorInfo(0, info);
    info->Release();
    std::u16string seenByOther = u"<unset>";
    std::thread other([&] {
        IErrorInfo* got = nullptr;
        if (GetErrorInfo(0, &got) == S_FALSE) seenByOther = u"<none>";
        IErrorInfo* own = makeError(u"other");
        SetErrorInfo(0, own);  // released when the thread ends
        own->Release();
    });
    other.join();
    EXPECT_EQ(seenByOther, u"<none>");
    IErrorInfo* got = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    EXPECT_EQ(descriptionOf(got), u"main");
    got->Release();
}

// ---------------------------------------------------------------------------

TEST(Guid, ParsesAndFormatsInTheBracedForm) {
    CLSID clsid;
    ASSERT_EQ(CLSIDFromString(u"{6b29fc40-CA47-1067-b31d-00dd010662da}", &clsid), S_OK);
    EXPECT_EQ(clsid.Data1, 0x6B29FC40u);
    EXPECT_EQ(clsid.Data2, 0xCA47);
    EXPECT_EQ(clsid.Data3, 0x1067);
    EXPECT_EQ(clsid.Data4[0], 0xB3);
    EXPECT_EQ(clsid.Data4[7], 0xDA);
    OLECHAR buffer[39];
    ASSERT_EQ(StringFromGUID2(clsid, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), u"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    EXPECT_EQ(StringFromGUID2(clsid, buffer, 38), 0);  // no room for the NUL

    ASSERT_EQ(StringFromGUID2(IID_IDispatch, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), u"{00020400-0000-0000-C000-000000000046}");
    ASSERT_EQ(StringFromGUID2(IID_ISupportErrorInfo, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), u"{DF0B3D60-548F-101B-8E65-08002B2BF0D7}");
}

TEST(Guid, RejectsMalformedText) {
    for (const char16_t* bad : {
             u"6B29FC40-CA47-1067-B31D-00DD010662DA",     // no braces
             u"{6B29FC40-CA47-1067-B31D-00DD010662D}",    // short
             u"{6B29FC40-CA47-1067-B31D-00DD010662DAA}",  // long
             u"{6B29FC40-CA47-1067-B31D00-DD010662DA}",   // dash misplaced
             u"{6B29FC4G-CA47-1067-B31D-00DD010662DA}",   // not hexadecimal
             u"{+B29FC40-CA47-1067-B31D-00DD010662DA}",
             u"",
         }) {
        CLSID clsid = IID_IDispatch;
        EXPECT_EQ(CLSIDFromString(bad, &clsid), CO_E_CLASSSTRING)
            << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
        EXPECT_EQ(clsid, CLSID_NULL);
    }
}

// ---------------------------------------------------------------------------

using tlvx::test::EnvironmentGuard;

constexpr CLSID kFirstClass = {
    0x3F2A9C10, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};
constexpr CLSID kSecondClass = {
    0x3F2A9C11, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};
constexpr CLSID kUnservedClass = {
    0x3F2A9C12, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};

class Activation : public ::testing::Test {
protected:
    Activation()
        : registry_("TLVX_REGISTRY", (dir_ / "registry.sqlite").string()),
          componentDir_("TLVX_COMPONENT_DIR", (dir_ / "no-component").string()) {
        std::filesystem::create_directories(dir_ / "no-component");
    }

    void registerClass(const CLSID& clsid, const std::string& module) {
        OLECHAR buffer[39];
        StringFromGUID2(clsid, buffer, 39);
        const std::u16string key = u"CLSID\\" + std::u16string(buffer) + u"\\InprocServer32";
        ASSERT_TRUE(tlvx::platform::RegistryStore().setValue(
            tlvx::platform::regroot::ClassesRoot, key, u"",
            tlvx::platform::RegistryValue::fromString(
                std::u16string(module.begin(), module.end()))));
    }

    // The module file the object's code lives in.
    static std::filesystem::path moduleOf(IUnknown* object) {
        Dl_info info{};
        if (!dladdr(*reinterpret_cast<void**>(object), &info) || !info.dli_fname) return {};
        return info.dli_fname;
    }

    static bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
        std::error_code ec;
        return std::filesystem::equivalent(a, b, ec);
    }

    TempDir dir_;
    EnvironmentGuard registry_;
    EnvironmentGuard componentDir_;
};

TEST_F(Activation, RegisteredClassLoadsItsModule) {
    registerClass(kFirstClass, TLVX_TEST_COMPONENT);
    IDispatch* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(sameFile(moduleOf(object), TLVX_TEST_COMPONENT));
    UINT count = 9;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    object->Release();
}

TEST_F(Activation, UnregisteredClassComesFromTheModuleBesideTheProgram) {
    // The module under its product name in the folder TLVX_COMPONENT_DIR names.
    const auto beside = dir_ / "beside";
    std::filesystem::create_directories(beside);
    std::filesystem::copy_file(TLVX_TEST_COMPONENT, beside / "Morcel_TLVX.so");
    EnvironmentGuard componentDir("TLVX_COMPONENT_DIR", beside.string());

    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kSecondClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), beside / "Morcel_TLVX.so"));
    object->Release();

    // A registration whose module is gone falls back as well.
    registerClass(kFirstClass, (dir_ / "gone.so").string());
    ASSERT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), beside / "Morcel_TLVX.so"));
    object->Release();
}

TEST_F(Activation, ComponentDirMayNameTheModuleFile) {
    EnvironmentGuard componentFile("TLVX_COMPONENT_DIR", TLVX_TEST_COMPONENT);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(kSecondClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    CountingObject outer;
    IUnknown* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&object)),
              CLASS_E_NOAGGREGATION);
    factory->Release();

    // The module is there but does not serve this class.
    void* nothing = reinterpret_cast<void*>(1);
    EXPECT_EQ(
        CoCreateInstance(kUnservedClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &nothing),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(nothing, nullptr);
}

TEST_F(Activation, NothingServesTheClass) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kSecondClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    registerClass(kFirstClass, TLVX_TEST_COMPONENT);
    EXPECT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_POINTER);
}

TEST_F(Activation, ProgIdsComeFromTheRegistry) {
    ASSERT_TRUE(tlvx::platform::RegistryStore().setValue(
        tlvx::platform::regroot::ClassesRoot, u"Morcel_TLVX.GenFuns\\CLSID", u"",
        tlvx::platform::RegistryValue::fromString(u"{3f2a9c10-7b1d-4c2e-9a01-5d6e7f8091a2}")));
    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(CLSIDFromProgID(u"morcel_tlvx.genfuns", &clsid), S_OK);
    EXPECT_EQ(clsid, kFirstClass);
    EXPECT_EQ(CLSIDFromProgID(u"Morcel_TLVX.Nothing", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID(u"Morcel_TLVX.GenFuns\\CLSID", &clsid), CO_E_CLASSSTRING);
}

TEST(CoInitialize, CountsPerThread) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    HRESULT inOtherThread = E_FAIL;
    std::thread([&] {
        inOtherThread = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
    }).join();
    EXPECT_EQ(inOtherThread, S_OK);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);  // counted down to zero
    CoUninitialize();
}

}  // namespace
