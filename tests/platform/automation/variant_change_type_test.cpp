#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "include/tallyvex/ole_types.h"
#include "tests/support/automation_values.h"
#include "tests/support/counting_object.h"

namespace {

using namespace tlvx::test;

std::u16string text(BSTR b) {
    return b ? std::u16string(b, SysStringLen(b)) : std::u16string();
}

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

}  // namespace
