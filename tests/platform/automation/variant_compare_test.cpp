// VarCmp: the comparison of two variants that membership tests rely on.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "include/tallyvex/ole_types.h"
#include "tests/support/automation_values.h"

namespace {

using namespace tlvx::test;

HRESULT compare(VARIANT left, VARIANT right, ULONG flags = 0) {
    const HRESULT hr = VarCmp(&left, &right, LOCALE_USER_DEFAULT, flags);
    VariantClear(&left);
    VariantClear(&right);
    return hr;
}

VARIANT of(VARTYPE type) {
    VARIANT v;
    VariantInit(&v);
    v.vt = type;
    return v;
}

VARIANT i8(LONGLONG n) {
    VARIANT v = of(VT_I8);
    v.llVal = n;
    return v;
}

VARIANT ui8(ULONGLONG n) {
    VARIANT v = of(VT_UI8);
    v.ullVal = n;
    return v;
}

VARIANT currency(LONGLONG scaled) {
    VARIANT v = of(VT_CY);
    v.cyVal.int64 = scaled;
    return v;
}

VARIANT decimal(ULONGLONG mantissa, BYTE scale, bool negative = false) {
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.decVal.Lo64 = mantissa;
    v.decVal.scale = scale;
    v.decVal.sign = negative ? DECIMAL_NEG : 0;
    v.vt = VT_DECIMAL;
    return v;
}

}  // namespace

TEST(VarCmp, TextsCompareByCodeUnitsWithCaseSignificant) {
    EXPECT_EQ(compare(str(u"a"), str(u"a")), VARCMP_EQ);
    EXPECT_EQ(compare(str(u"a"), str(u"A")), VARCMP_GT);
    EXPECT_EQ(compare(str(u"A"), str(u"a")), VARCMP_LT);
    EXPECT_EQ(compare(str(u"ab"), str(u"a")), VARCMP_GT);
    EXPECT_EQ(compare(str(u""), str(u"a")), VARCMP_LT);
    // A soft hyphen is a character like any other here.
    EXPECT_EQ(compare(str(u"ab"), str(u"a\u00ADb")), VARCMP_LT);
    // Embedded NULs count.
    EXPECT_EQ(compare(str(std::u16string_view(u"a\0b", 3)), str(u"a")), VARCMP_GT);
    EXPECT_EQ(compare(str(u"a"), str(u"A"), NORM_IGNORECASE), VARCMP_EQ);
    EXPECT_EQ(compare(str(u"\u00E4"), str(u"\u00C4"), NORM_IGNORECASE), VARCMP_EQ);
    EXPECT_EQ(compare(str(u"b"), str(u"A"), NORM_IGNORECASE), VARCMP_GT);
}

TEST(VarCmp, NumbersCompareByValueWhateverTheirTypes) {
    EXPECT_EQ(compare(i2(1), i4(1)), VARCMP_EQ);
    EXPECT_EQ(compare(i4(1), r8(1.0)), VARCMP_EQ);
    EXPECT_EQ(compare(i4(2), r8(1.5)), VARCMP_GT);
    EXPECT_EQ(compare(r8(-0.5), i2(0)), VARCMP_LT);
    // True is -1.
    EXPECT_EQ(compare(boolean(true), i4(-1)), VARCMP_EQ);
    EXPECT_EQ(compare(boolean(true), boolean(false)), VARCMP_LT);
    // Large integers stay exact, signed and unsigned alike.
    EXPECT_EQ(compare(i8(std::numeric_limits<LONGLONG>::max()),
                      i8(std::numeric_limits<LONGLONG>::max() - 1)),
              VARCMP_GT);
    EXPECT_EQ(compare(ui8(std::numeric_limits<ULONGLONG>::max()), i8(-1)), VARCMP_GT);
    // Currency is the value times 10000: 1.5 and 1.5.
    EXPECT_EQ(compare(currency(15000), r8(1.5)), VARCMP_EQ);
    EXPECT_EQ(compare(currency(10000), i4(1)), VARCMP_EQ);
    EXPECT_EQ(compare(i4(1), currency(10001)), VARCMP_LT);
    EXPECT_EQ(compare(decimal(125, 2), r8(1.25)), VARCMP_EQ);
    EXPECT_EQ(compare(decimal(125, 2, true), i4(-1)), VARCMP_LT);
    // Not a number equals nothing, not even itself.
    EXPECT_NE(compare(r8(std::nan("")), r8(std::nan(""))), VARCMP_EQ);
}

TEST(VarCmp, TextIsGreaterThanAnyNumberAndEmptyTakesTheOthersType) {
    EXPECT_EQ(compare(str(u"1"), i4(1)), VARCMP_GT);
    EXPECT_EQ(compare(i4(1000000), str(u"")), VARCMP_LT);
    EXPECT_EQ(compare(boolean(true), str(u"True")), VARCMP_LT);
    EXPECT_EQ(compare(of(VT_EMPTY), str(u"")), VARCMP_EQ);
    EXPECT_EQ(compare(str(u"x"), of(VT_EMPTY)), VARCMP_GT);
    EXPECT_EQ(compare(of(VT_EMPTY), i4(0)), VARCMP_EQ);
    EXPECT_EQ(compare(of(VT_EMPTY), r8(-1)), VARCMP_GT);
    EXPECT_EQ(compare(of(VT_EMPTY), of(VT_EMPTY)), VARCMP_EQ);
}

TEST(VarCmp, NullWinsAndObjectsArraysAndErrorsDoNotCompare) {
    EXPECT_EQ(compare(of(VT_NULL), i4(1)), VARCMP_NULL);
    EXPECT_EQ(compare(str(u"a"), of(VT_NULL)), VARCMP_NULL);
    EXPECT_EQ(compare(of(VT_NULL), of(VT_NULL)), VARCMP_NULL);

    VARIANT object = of(VT_DISPATCH);
    object.pdispVal = nullptr;
    EXPECT_EQ(compare(object, i4(0)), DISP_E_TYPEMISMATCH);
    VARIANT array = of(VT_ARRAY | VT_I4);
    array.parray = SafeArrayCreateVector(VT_I4, 0, 1);
    EXPECT_EQ(compare(i4(0), array), DISP_E_TYPEMISMATCH);
    VARIANT error = of(VT_ERROR);
    error.scode = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(compare(error, error), DISP_E_TYPEMISMATCH);

    VARIANT bad = of(0x7F);
    VARIANT one = i4(1);
    EXPECT_EQ(VarCmp(&bad, &one, 0, 0), DISP_E_BADVARTYPE);
    EXPECT_EQ(VarCmp(nullptr, &one, 0, 0), E_INVALIDARG);
}

TEST(VarCmp, ReferencesAreFollowed) {
    LONG number = 7;
    BSTR text = SysAllocString(u"seven");
    VARIANT inner = str(u"seven");
    VARIANT left = ref(VT_I4, &number);
    VARIANT seven = i4(7);
    EXPECT_EQ(VarCmp(&left, &seven, 0, 0), VARCMP_EQ);
    VARIANT byText = ref(VT_BSTR, &text);
    VARIANT byVariant = ref(VT_VARIANT, &inner);
    EXPECT_EQ(VarCmp(&byText, &byVariant, 0, 0), VARCMP_EQ);
    VARIANT dangling = ref(VT_I4, nullptr);
    EXPECT_EQ(VarCmp(&dangling, &seven, 0, 0), E_INVALIDARG);
    SysFreeString(text);
    VariantClear(&inner);
}
