#include <gtest/gtest.h>

#include <string>

#include "include/tallyvex/ole_types.h"
#include "tests/support/automation_values.h"

namespace {

using namespace tlvx::test;

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

}  // namespace
