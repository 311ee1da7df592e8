#include <gtest/gtest.h>

#include <string>

#include "include/tallyvex/ole_types.h"
#include "tests/support/automation_values.h"
#include "tests/support/counting_object.h"

namespace {

using namespace tlvx::test;

std::u16string text(BSTR b) {
    return b ? std::u16string(b, SysStringLen(b)) : std::u16string();
}

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

}  // namespace
