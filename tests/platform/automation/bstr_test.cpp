#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "include/tallyvex/ole_types.h"
#include "tests/support/automation_values.h"

namespace {

using namespace tlvx::test;

std::u16string text(BSTR b) {
    return b ? std::u16string(b, SysStringLen(b)) : std::u16string();
}

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

}  // namespace
