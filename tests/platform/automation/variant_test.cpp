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

}  // namespace
