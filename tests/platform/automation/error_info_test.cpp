#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "include/tallyvex/ole_types.h"
#include "tests/support/automation_values.h"

namespace {

using namespace tlvx::test;

std::u16string text(BSTR b) {
    return b ? std::u16string(b, SysStringLen(b)) : std::u16string();
}

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

}  // namespace
