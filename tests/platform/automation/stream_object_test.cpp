// The stream component as its clients reach it: created by programmatic
// identifier through class activation, registered or not, and called by
// member name.

#include <gtest/gtest.h>

#include <string>

#include "platform/automation/late_call.h"
#include "platform/automation/platform_classes.h"
#include "platform/automation/stream_object.h"
#include "platform/registry/registry_store.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace tlvx::platform::automation;
using namespace std::string_literals;
using tlvx::platform::RegistryStore;
namespace regroot = tlvx::platform::regroot;

class StreamObject : public ::testing::Test {
protected:
    tlvx::test::TempDir dir_;
    tlvx::test::CurrentDirGuard cwd_{dir_.path()};
    tlvx::test::EnvironmentGuard registry_{"TLVX_REGISTRY", (dir_ / "registry.sqlite").string()};
};

TEST_F(StreamObject, IsCreatedByProgIdWithAndWithoutRegistration) {
    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(CLSIDFromProgID(u"adodb.stream", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Stream);
    EXPECT_TRUE(LateObject::create(u"ADODB.Stream"));

    ASSERT_EQ(registerPlatformClasses(), S_OK);
    RegistryStore store;
    const auto server =
        store.getValue(regroot::ClassesRoot,
                       u"CLSID\\{00000566-0000-0010-8000-00AA006D2EA4}\\InprocServer32", u"");
    ASSERT_TRUE(server);
    EXPECT_NE(server->toString().value_or(u"").find(u"libtlvxplatform"), std::u16string::npos);
    EXPECT_EQ(store.getValue(regroot::ClassesRoot, u"ADODB.Stream\\CLSID", u"")->toString(),
              u"{00000566-0000-0010-8000-00AA006D2EA4}");
    EXPECT_TRUE(LateObject::create(u"ADODB.Stream"));
    ASSERT_EQ(unregisterPlatformClasses(), S_OK);
    EXPECT_FALSE(store.keyExists(regroot::ClassesRoot, u"ADODB.Stream"));
    EXPECT_TRUE(LateObject::create(u"ADODB.Stream"));
    EXPECT_FALSE(LateObject::create(u"ADODB.NoSuchThing"));
}

TEST_F(StreamObject, ConvertsTextAndBytesByMemberName) {
    LateObject stream = LateObject::create(u"ADODB.Stream");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream.put(u"charset", OwnedVariant::text(u"utf-8")), S_OK);
    EXPECT_EQ(stream.put(u"Type", OwnedVariant::number(2)), S_OK);
    EXPECT_EQ(stream.put(u"Mode", OwnedVariant::number(3)), S_OK);
    EXPECT_EQ(stream.call(u"Open"), S_OK);
    const std::u16string text = u"a\0\u00e9"s;
    EXPECT_EQ(stream.call(u"WriteText", arguments(OwnedVariant::text(text))), S_OK);
    EXPECT_EQ(stream.call(u"Flush"), S_OK);
    OwnedVariant position;
    ASSERT_EQ(stream.get(u"Position", position), S_OK);
    EXPECT_EQ(position.get().vt, VT_I4);
    EXPECT_EQ(position.get().lVal, 3 + 4);
    EXPECT_EQ(stream.put(u"Position", OwnedVariant::number(0)), S_OK);
    EXPECT_EQ(stream.put(u"Type", OwnedVariant::number(1)), S_OK);
    OwnedVariant mark, rest;
    EXPECT_EQ(stream.call(u"Read", arguments(OwnedVariant::number(3)), &mark), S_OK);
    EXPECT_EQ(bytesOf(mark.get()), "\xEF\xBB\xBF");
    EXPECT_EQ(stream.call(u"Read", {}, &rest), S_OK);
    EXPECT_EQ(bytesOf(rest.get()), "a\0\xC3\xA9"s);

    // Bytes in, text out in another charset.
    EXPECT_EQ(stream.call(u"Close"), S_OK);
    EXPECT_EQ(stream.call(u"Open"), S_OK);
    EXPECT_EQ(stream.call(u"Write", arguments(OwnedVariant::bytes("\xFE\xFF\0z"s))), S_OK);
    EXPECT_EQ(stream.put(u"Position", OwnedVariant::number(0)), S_OK);
    EXPECT_EQ(stream.put(u"Type", OwnedVariant::number(2)), S_OK);
    EXPECT_EQ(stream.put(u"CharSet", OwnedVariant::text(u"unicodeFFFE")), S_OK);
    OwnedVariant read;
    EXPECT_EQ(stream.call(u"ReadText", {}, &read), S_OK);
    EXPECT_EQ(textOf(read.get()), u"z");
    OwnedVariant charset;
    EXPECT_EQ(stream.get(u"CharSet", charset), S_OK);
    EXPECT_EQ(textOf(charset.get()), u"unicodeFFFE");
}

TEST_F(StreamObject, FailuresCarryTheComponentsErrorAndChangeNothing) {
    LateObject stream = LateObject::create(u"ADODB.Stream");
    ASSERT_TRUE(stream);
    // Late calls report the error number the EXCEPINFO carries.
    EXPECT_EQ(stream.call(u"WriteText", arguments(OwnedVariant::text(u"a"))),
              static_cast<HRESULT>(0x800A0E78u));  // closed
    ASSERT_EQ(stream.call(u"Open"), S_OK);
    EXPECT_EQ(stream.put(u"CharSet", OwnedVariant::text(u"klingon")),
              static_cast<HRESULT>(0x800A0BB9u));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR source = nullptr;
    info->GetSource(&source);
    EXPECT_EQ(std::u16string(source, SysStringLen(source)), u"ADODB.Stream");
    SysFreeString(source);
    info->Release();
    OwnedVariant charset;
    stream.get(u"CharSet", charset);
    EXPECT_EQ(textOf(charset.get()), u"Unicode");

    EXPECT_EQ(stream.call(u"Write", arguments(OwnedVariant::bytes("x"))),
              static_cast<HRESULT>(0x800A0C93u));  // a text stream takes no bytes
    EXPECT_EQ(stream.call(u"Write", arguments(OwnedVariant::text(u"x"))),
              static_cast<HRESULT>(0x800A0BB9u));
    EXPECT_EQ(stream.call(u"LoadFromFile", arguments(OwnedVariant::text(u"missing.txt"))),
              static_cast<HRESULT>(0x800A0BBAu));
    EXPECT_EQ(stream.call(u"SaveToFile",
                          arguments(OwnedVariant::text(u"none\\x.txt"), OwnedVariant::number(2))),
              static_cast<HRESULT>(0x800A0BBCu));
    EXPECT_EQ(stream.call(u"NoSuchMember"), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(stream.call(u"Open", arguments(OwnedVariant::text(u"source"))),
              static_cast<HRESULT>(0x800A0BB9u));
    EXPECT_EQ(stream.call(u"Close", arguments(OwnedVariant::number(1))), DISP_E_BADPARAMCOUNT);
}

TEST_F(StreamObject, SavesAndLoadsFiles) {
    LateObject stream = LateObject::create(u"ADODB.Stream");
    ASSERT_TRUE(stream);
    stream.call(u"Open");
    stream.put(u"CharSet", OwnedVariant::text(u"unicode"));
    stream.call(u"WriteText", arguments(OwnedVariant::text(u"hi")));
    EXPECT_EQ(stream.call(u"SaveToFile", arguments(OwnedVariant::text(u"f.txt"))), S_OK);
    EXPECT_EQ(tlvx::test::TempDir::read(dir_ / "f.txt"), "\xFF\xFEh\0i\0"s);
    // Without option 2 an existing file stays.
    EXPECT_EQ(stream.call(u"SaveToFile", arguments(OwnedVariant::text(u"f.txt"))),
              static_cast<HRESULT>(0x800A0BBCu));
    dir_.write("g.txt", "\xEF\xBB\xBFok");
    stream.put(u"Position", OwnedVariant::number(0));
    stream.put(u"CharSet", OwnedVariant::text(u"utf-8"));
    EXPECT_EQ(stream.call(u"LoadFromFile", arguments(OwnedVariant::text(u"G.TXT"))), S_OK);
    OwnedVariant text;
    EXPECT_EQ(stream.call(u"ReadText", {}, &text), S_OK);
    EXPECT_EQ(textOf(text.get()), u"ok");
    OwnedVariant atEnd;
    EXPECT_EQ(stream.get(u"EOS", atEnd), S_OK);
    EXPECT_EQ(atEnd.get().boolVal, VARIANT_TRUE);
}

}  // namespace
