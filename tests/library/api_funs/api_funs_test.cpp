// The API class's INI, dialog and shell methods, called the way a client
// calls them: through the interface, with automation strings.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "Morcel_TLVX.h"
#include "program/ui/web_links.h"
#include "tests/support/automation_values.h"
#include "tests/support/environment_guard.h"
#include "tests/support/non_regular_files.h"
#include "tests/support/object_ref.h"
#include "tests/support/temp_dir.h"

using namespace tlvx::test;

namespace {

std::u16string u16(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

class ApiFunsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(api.create(CLSID_APIFuns, IID__APIFuns), S_OK); }
    std::u16string readIni(const std::filesystem::path& file, std::u16string_view section,
                           std::u16string_view key) {
        Bstr result;
        EXPECT_EQ(api->ReadIni(Bstr(file.u16string()).get(), Bstr(section).get(), Bstr(key).get(),
                               result.inOut()),
                  S_OK);
        return result.text();
    }

    TempDir dir;
    // Last, so that the object goes before the folders and settings it used.
    ObjectRef<_APIFuns> api;
};

}  // namespace

TEST_F(ApiFunsTest, ReadIniFollowsTheProfileRules) {
    const auto ini = dir.write("p.vbp",
                               "Lost=before any section\r\n[Info]\r\nName=\"Billing\"\r\n"
                               "MajorVer= 2 \r\nquoted='single'\r\nEmpty=\r\nNAME=second\r\n"
                               "[info]\r\nMinorVer=9\r\n[Other]\r\nMinorVer=1\r\n");
    EXPECT_EQ(readIni(ini, u"Info", u"Name"), u"Billing");
    EXPECT_EQ(readIni(ini, u"INFO", u"majorver"), u"2");
    EXPECT_EQ(readIni(ini, u"Info", u"quoted"), u"single");
    EXPECT_EQ(readIni(ini, u"Info", u"Empty"), u"");
    EXPECT_EQ(readIni(ini, u"Info", u"Missing"), u"");
    EXPECT_EQ(readIni(ini, u"Info", u"Lost"), u"");
    EXPECT_EQ(readIni(ini, u"Info", u"MinorVer"), u"");  // the first [Info] wins
    EXPECT_EQ(readIni(dir / "none.ini", u"Info", u"Name"), u"");
    // Windows notation and other letter case find the file.
    CurrentDirGuard cwd(dir.path());
    Bstr result;
    EXPECT_EQ(api->ReadIni(Bstr(u".\\P.VBP").get(), Bstr(u"Info").get(), Bstr(u"Name").get(),
                           result.inOut()),
              S_OK);
    EXPECT_EQ(result.text(), u"Billing");
}

TEST_F(ApiFunsTest, ReadIniCutsVeryLongValues) {
    const auto ini = dir.write("long.ini", "[S]\r\nk=" + std::string(100000, 'v') + "\r\n");
    const auto value = readIni(ini, u"S", u"k");
    EXPECT_EQ(value.size(), 65534u);
    EXPECT_EQ(value.find_first_not_of(u'v'), std::u16string::npos);
}

TEST_F(ApiFunsTest, WriteIniCreatesReplacesAndRemoves) {
    const auto ini = dir / "new.ini";
    Bstr file(u16(ini.string())), section(u"Main"), key(u"Color"), value(u"Blue");
    ASSERT_EQ(api->WriteIni(file.inOut(), section.inOut(), key.inOut(), value.inOut()), S_OK);
    EXPECT_EQ(readIni(ini, u"main", u"color"), u"Blue");
    struct stat before {};
    ::stat(ini.c_str(), &before);

    Bstr value2(u"Red \u20AC");  // the euro sign is in the code page
    ASSERT_EQ(api->WriteIni(file.inOut(), section.inOut(), key.inOut(), value2.inOut()), S_OK);
    EXPECT_EQ(readIni(ini, u"Main", u"Color"), u"Red \u20AC");
    EXPECT_EQ(TempDir::read(ini).find("Blue"), std::string::npos);
    struct stat after {};
    ::stat(ini.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino) << "the file is replaced as a whole";

    Bstr other(u"Other"), size(u"Size"), big(u"10");
    api->WriteIni(file.inOut(), other.inOut(), size.inOut(), big.inOut());
    Bstr nullValue;  // a null value removes the key
    api->WriteIni(file.inOut(), section.inOut(), key.inOut(), nullValue.inOut());
    EXPECT_EQ(readIni(ini, u"Main", u"Color"), u"");
    Bstr nullKey;  // a null key removes the section
    api->WriteIni(file.inOut(), other.inOut(), nullKey.inOut(), nullValue.inOut());
    EXPECT_EQ(readIni(ini, u"Other", u"Size"), u"");
    EXPECT_EQ(TempDir::read(ini).find("Other"), std::string::npos);

    // No folder, no file: nothing is written anywhere.
    Bstr nowhere(u16((dir / "no/such/x.ini").string()));
    EXPECT_EQ(api->WriteIni(nowhere.inOut(), section.inOut(), key.inOut(), value.inOut()), S_OK);
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

// The INI methods on a FIFO, a device, a folder, a socket or a link that
// names nothing: the empty value, nothing written, and neither waits.
class ApiFunsNonRegularTest : public ApiFunsTest,
                              public ::testing::WithParamInterface<NonRegularKind> {};

TEST_P(ApiFunsNonRegularTest, IniMethodsGiveTheEmptyResultAndWriteNothing) {
    const auto ini = dir / "odd.ini";
    makeNonRegular(GetParam(), ini);
    EXPECT_EQ(runGuarded([&] { return readIni(ini, u"Main", u"Color").empty(); }), "passed");
    EXPECT_EQ(runGuarded([&] {
                  Bstr file(u16(ini.string())), section(u"Main"), key(u"Color"), value(u"Blue");
                  return api->WriteIni(file.inOut(), section.inOut(), key.inOut(), value.inOut()) ==
                         S_OK;
              }),
              "passed");
    EXPECT_TRUE(isStillNonRegular(GetParam(), ini));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ApiFunsNonRegularTest, ::testing::ValuesIn(kNonRegularKinds),
                         [](const auto& kind) { return kindName(kind.param); });

TEST_F(ApiFunsTest, DialogsWithoutAWindowSystemGiveTheEmptyResult) {
    SAFEARRAY* chosen = nullptr;
    Bstr defDir;
    VARIANT_BOOL multi = VARIANT_FALSE;
    ASSERT_EQ(api->GetFilesOpenName(0, Bstr(u"Choose").get(),
                                    Bstr(std::u16string(u"VB6 Project (*.vbp)\0*.vbp", 25)).get(),
                                    defDir.inOut(), &multi, &chosen),
              S_OK);
    ASSERT_NE(chosen, nullptr);
    LONG upper = 0;
    EXPECT_EQ(SafeArrayGetUBound(chosen, 1, &upper), S_OK);
    EXPECT_EQ(upper, -1);
    SafeArrayDestroy(chosen);

    Bstr saved;
    EXPECT_EQ(api->GetFileSaveName(0, Bstr(u"Save").get(), Bstr(u"x").get(), Bstr(u"").get(),
                                   Bstr(u"").get(), Bstr(u"txt").get(), saved.inOut()),
              S_OK);
    EXPECT_EQ(saved.text(), u"");
}

TEST_F(ApiFunsTest, ShellCommandsReachTheDefaultHandlerUnchanged) {
    // A recording stand-in for the desktop's handler, first on PATH.
    const auto record = dir / "received";
    dir.write("bin/xdg-open",
              "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record.string() + "'\nsleep 60\n");
    std::filesystem::permissions(dir / "bin/xdg-open", std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    EnvironmentGuard onPath("PATH", (dir / "bin").string() + ":" + (path ? path : ""));

    const std::string mail = tlvx::ui::links::recommendationMail();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(api->ExecCmd(Bstr(u16(mail)).get(), vbMaximizedFocus), S_OK);
    EXPECT_EQ(api->ExecCmd(Bstr(u"https://example.org/a b?x=1&y='2'").get(), vbNormalFocus), S_OK);
    dir.write("doc.txt", "x");
    {
        CurrentDirGuard cwd(dir.path());
        EXPECT_EQ(api->ExecFile(Bstr(u".\\DOC.TXT").get(), vbNormalFocus), S_OK);
    }
    EXPECT_EQ(api->ExecCmd(Bstr(u"").get(), vbNormalFocus), S_OK);  // nothing to hand over
    // The handler sleeps a minute; a busy machine may take a while to
    // start it, never that long.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30))
        << "the handler is not waited for";

    std::string received;
    for (int i = 0; i < 600 && std::count(received.begin(), received.end(), '\n') < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        received = TempDir::read(record);
    }
    EXPECT_NE(received.find(mail + "\n"), std::string::npos) << received;
    EXPECT_EQ(mail.rfind("mailto:?subject=Recommend 100%25 FREE software - Tallyvex", 0), 0u);
    EXPECT_NE(received.find("https://example.org/a b?x=1&y='2'\n"), std::string::npos);
    EXPECT_NE(received.find((dir / "doc.txt").string() + "\n"), std::string::npos);
    EXPECT_EQ(std::count(received.begin(), received.end(), '\n'), 3);
}

TEST_F(ApiFunsTest, WriteIniChangesNothingWhereTheCodePageCannotHoldATextOrSectionIsNull) {
    const auto ini = dir / "keep.ini";
    dir.write("keep.ini", "[Main]\r\nColor=Blue\r\n");
    Bstr file(u16(ini.string())), section(u"Main"), key(u"Color");

    // Zhe is not in the code page: refused, but written back as it would be.
    Bstr value(u"Red \u0416");
    ASSERT_EQ(api->WriteIni(file.inOut(), section.inOut(), key.inOut(), value.inOut()), S_OK);
    EXPECT_EQ(value.text(), u"Red ?");
    EXPECT_EQ(TempDir::read(ini), "[Main]\r\nColor=Blue\r\n");
    Bstr otherSection(u"\u4E2D"), otherKey(u"\u6587"), plain(u"x");
    api->WriteIni(file.inOut(), otherSection.inOut(), key.inOut(), plain.inOut());
    api->WriteIni(file.inOut(), section.inOut(), otherKey.inOut(), plain.inOut());
    EXPECT_EQ(TempDir::read(ini), "[Main]\r\nColor=Blue\r\n");

    // A file name outside the code page creates no stray "??.ini", and
    // reading under such a name finds nothing, as the writer stored nothing.
    const auto chinesePath = dir / "\xe4\xb8\xad\xe6\x96\x87.ini";
    Bstr chinese(chinesePath.u16string());
    api->WriteIni(chinese.inOut(), section.inOut(), key.inOut(), plain.inOut());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename(), "keep.ini");
    dir.write("??.ini", "[Main]\r\nColor=Stray\r\n");
    EXPECT_EQ(readIni(chinesePath, u"Main", u"Color"), u"");
    EXPECT_EQ(readIni(ini, u"\u4E2D", u"Color"), u"");

    // A null section writes nothing: no "[]" section appears.
    Bstr nullSection;
    api->WriteIni(file.inOut(), nullSection.inOut(), key.inOut(), plain.inOut());
    EXPECT_EQ(TempDir::read(ini), "[Main]\r\nColor=Blue\r\n");
}

TEST_F(ApiFunsTest, WriteIniRefusesAFileWithoutWritePermissionForEveryone) {
    const auto ini = dir / "readonly.ini";
    dir.write("readonly.ini", "[Main]\r\nColor=Blue\r\n");
    ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
    struct stat before {};
    ::stat(ini.c_str(), &before);
    Bstr file(u16(ini.string())), section(u"Main"), key(u"Color"), value(u"Red");
    api->WriteIni(file.inOut(), section.inOut(), key.inOut(), value.inOut());
    Bstr nullKey, nullValue;  // nor may the section be removed
    api->WriteIni(file.inOut(), section.inOut(), nullKey.inOut(), nullValue.inOut());
    EXPECT_EQ(TempDir::read(ini), "[Main]\r\nColor=Blue\r\n");
    struct stat after {};
    ::stat(ini.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
}
