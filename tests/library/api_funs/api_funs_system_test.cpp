// The API class's system methods through the interface, and by name where a
// script would call them: folders, version, waiting, the recycle bin,
// deletion at the next start, processes and string modules. Every test has
// its own trash, registry store and temporary folder.

#include <signal.h>
#include <sys/utsname.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "Morcel_TLVX.h"
#include "platform/files/string_module.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/restart_deletions.h"
#include "tests/support/automation_values.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/environment_guard.h"
#include "tests/support/object_ref.h"
#include "tests/support/sleeping_child.h"
#include "tests/support/temp_dir.h"

using namespace tlvx::test;
namespace fs = std::filesystem;

namespace {

std::u16string u16(std::string_view utf8Ascii) {
    return std::u16string(utf8Ascii.begin(), utf8Ascii.end());
}

class ApiFunsSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(api.create(CLSID_APIFuns, IID__APIFuns), S_OK);
        ASSERT_EQ(byName.query(api, IID_IDispatch), S_OK);
    }

    std::u16string text(HRESULT (_APIFuns::*method)(BSTR, BSTR*), std::u16string_view argument) {
        Bstr result;
        EXPECT_EQ((api->*method)(Bstr(argument).get(), result.out()), S_OK);
        return result.text();
    }
    std::u16string specialFolder(SHORT id) {
        Bstr result;
        EXPECT_EQ(api->GetSpecialFolder(id, result.out()), S_OK);
        return result.text();
    }
    std::u16string tempPath() {
        Bstr result;
        EXPECT_EQ(api->GetUserTempPath(result.out()), S_OK);
        return result.text();
    }
    std::u16string recycleBin(std::u16string_view drive = u"") {
        return text(&_APIFuns::QueryRecycleBin, drive);
    }
    std::u16string dllString(LONG handle, LONG id) {
        Bstr result;
        EXPECT_EQ(api->GetDLLString(handle, id, result.out()), S_OK);
        return result.text();
    }
    LONG loadDll(std::u16string_view file) {
        LONG handle = -1;
        EXPECT_EQ(api->LoadDLL(Bstr(file).get(), &handle), S_OK);
        return handle;
    }

    TempDir dir;
    EnvironmentGuard data{"XDG_DATA_HOME", (dir / "data").string()};
    EnvironmentGuard registry{"TLVX_REGISTRY", (dir / "registry.sqlite").string()};
    fs::path trash = dir / "data" / "Trash";
    // Last, so that the object goes before the folders and settings it used.
    ObjectRef<_APIFuns> api;
    ObjectRef<IDispatch> byName;
};

constexpr uint32_t HKLM = tlvx::platform::regroot::LocalMachine;

}  // namespace

TEST_F(ApiFunsSystemTest, SystemPathsByLetterAndNumber) {
    EXPECT_EQ(text(&_APIFuns::GetSysPath, u"W"), u"/usr");
    EXPECT_EQ(text(&_APIFuns::GetSysPath, u"P"), u"/opt");
    for (const auto* other : {u"w", u"p", u"", u"W ", u"WP", u"X"}) {
        EXPECT_EQ(text(&_APIFuns::GetSysPath, other), u"");
    }
    EXPECT_EQ(specialFolder(9966), u"/usr/lib") << "the library's code for the system folder";
    EXPECT_EQ(specialFolder(0x25), u"/usr/lib");
    {
        EnvironmentGuard dataDirs("XDG_DATA_DIRS", "/srv/shared:/usr/share");
        EXPECT_EQ(specialFolder(35), u"/srv/shared");
    }
    EXPECT_EQ(specialFolder(0x1C), u16((dir / "data").string()));
    for (const SHORT none : {SHORT{0x0A}, SHORT{0x12}, SHORT{-1}, SHORT{32767}}) {
        EXPECT_EQ(specialFolder(none), u"") << none;
    }
    // A folder the classic 260-character buffer cannot hold gives nothing.
    EnvironmentGuard deep("XDG_DATA_HOME", "/" + std::string(259, 'd'));
    EXPECT_EQ(specialFolder(0x1C), u"");
    EnvironmentGuard fits("XDG_DATA_HOME", "/" + std::string(258, 'd'));
    EXPECT_EQ(specialFolder(0x1C).size(), 259u);

    // By name, with the number as another integer type.
    Var result;
    EXPECT_EQ(callByName(byName, u"getspecialfolder", {i4(9966)}, &result.v), S_OK);
    EXPECT_EQ(std::u16string(result.v.bstrVal), u"/usr/lib");
}

TEST_F(ApiFunsSystemTest, TheTemporaryFolderEndsInASeparator) {
    {
        EnvironmentGuard tmp("TMPDIR", dir.path().string());
        EXPECT_EQ(tempPath(), u16(dir.path().string() + "/"));
    }
    {
        EnvironmentGuard tmp("TMPDIR", (dir / "gone").string());
        EXPECT_EQ(tempPath(), u"");
    }
    {
        fs::create_directories(dir / std::string(250, 'd') / std::string(250, 'e') /
                               std::string(250, 'f') / std::string(250, 'g'));
        EnvironmentGuard tmp("TMPDIR", (dir / std::string(250, 'd') / std::string(250, 'e') /
                                        std::string(250, 'f') / std::string(250, 'g'))
                                           .string());
        EXPECT_EQ(tempPath(), u"") << "longer than the classic 1000-character buffer";
    }
}

TEST_F(ApiFunsSystemTest, VersionWaitAndNetworkDrives) {
    utsname names{};
    ASSERT_EQ(uname(&names), 0);
    LONG version = -1;
    EXPECT_EQ(api->GetWindowsVersion(&version), S_OK);
    EXPECT_EQ(version, std::atoi(names.release));

    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    EXPECT_EQ(api->Wait(60), S_OK);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(60));
    start = Clock::now();
    EXPECT_EQ(api->Wait(-1), S_OK) << "no endless wait";
    EXPECT_EQ(api->Wait(0), S_OK);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));

    EXPECT_EQ(api->MapNetDrive(0, 1), S_OK);
    EXPECT_EQ(api->DisconnectNetDrive(0, 2), S_OK);
    EXPECT_EQ(callByName(byName, u"MapNetDrive", {i4(0), i4(1)}), S_OK);
}

TEST_F(ApiFunsSystemTest, TheRecycleBinTakesCountsAndEmpties) {
    EXPECT_EQ(recycleBin(), u"0|0");
    dir.write("work/Forms/Main.frm", "12345");
    dir.write("work/Old/a.bas", "123");
    dir.write("work/Old/sub/b.cls", "1234567");
    CurrentDirGuard cwd(dir / "work");
    // Windows notation and another letter case find the file.
    EXPECT_EQ(api->DelToRecycled(Bstr(u"forms\\MAIN.FRM").get()), S_OK);
    EXPECT_EQ(api->DelToRecycled(Bstr(u16((dir / "work/Old").string())).get()), S_OK);
    EXPECT_EQ(api->DelToRecycled(Bstr(u"missing.txt").get()), S_OK);
    EXPECT_EQ(api->DelToRecycled(Bstr(u"").get()), S_OK);
    EXPECT_FALSE(fs::exists(dir / "work/Forms/Main.frm"));
    EXPECT_FALSE(fs::exists(dir / "work/Old"));
    EXPECT_EQ(TempDir::read(trash / "files" / "Main.frm"), "12345");
    EXPECT_TRUE(fs::exists(trash / "info" / "Old.trashinfo"));

    EXPECT_EQ(recycleBin(), u"2|15");
    EXPECT_EQ(recycleBin(u16(dir.path().string())), u"2|15") << "the drive the items came from";
    EXPECT_EQ(recycleBin(u"/proc"), u"0|0");
    EXPECT_EQ(recycleBin(u"C:\\"), u"0|0") << "a drive letter names nothing here";
    Var result;
    EXPECT_EQ(callByName(byName, u"QueryRecycleBin", {}, &result.v), S_OK);
    EXPECT_EQ(std::u16string(result.v.bstrVal), u"2|15");

    EXPECT_EQ(api->EmptyRecycleBin(0, Bstr(u"C:\\").get()), S_OK);
    EXPECT_EQ(recycleBin(), u"2|15");
    EXPECT_EQ(callByName(byName, u"EmptyRecycleBin", {i4(0)}), S_OK);
    EXPECT_EQ(recycleBin(), u"0|0");
    EXPECT_TRUE(fs::is_empty(trash / "files"));
}

TEST_F(ApiFunsSystemTest, SizesBeyond31BitsAreToldAsOver) {
    const auto big = dir / "big.bin";
    std::ofstream(big).put('x');
    fs::resize_file(big, 3ull << 30);  // sparse: takes no room
    EXPECT_EQ(api->DelToRecycled(Bstr(u16(big.string())).get()), S_OK);
    EXPECT_EQ(recycleBin(), u"1|Over 2147483647");
}

TEST_F(ApiFunsSystemTest, DelUntilRebootKeepsTheDeletionForTheNextStart) {
    namespace restart = tlvx::platform::restart;
    tlvx::platform::RegistryStore store;
    ASSERT_EQ(store.databaseFile(), dir / "registry.sqlite");
    const auto file = dir.write("Locked.dll", "in use");
    CurrentDirGuard cwd(dir.path());
    EXPECT_EQ(api->DelUntilReboot(Bstr(u"locked.DLL").get()), S_OK);
    EXPECT_EQ(store.getValue(HKLM, restart::kSessionManagerKey, u"AllowProtectedRenames"),
              tlvx::platform::RegistryValue::fromDword(1));
    EXPECT_EQ(restart::pendingOperations(store),
              std::vector<restart::Operation>({{u16(file.string()), u""}}));
    EXPECT_TRUE(fs::exists(file)) << "not before the next start";

    EXPECT_EQ(api->DelUntilReboot(Bstr(u"missing.dll").get()), S_OK);
    EXPECT_EQ(restart::pendingOperations(store).size(), 1u);

    EXPECT_EQ(restart::carryOutDueOperations(store, "a later run"), 1u);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(ApiFunsSystemTest, KillProcessEndsEveryProgramWhoseNameEndsSo) {
    const std::string tag = uniqueTag(dir.path());
    SleepingChild one(dir.path(), "tlvxSleeper" + tag + ".exe");
    SleepingChild two(dir.path(), "OtherSleeper" + tag + ".exe");
    SleepingChild bare(dir.path(), "tlvxSleeper" + tag);
    ASSERT_GT(one.pid(), 0);
    EXPECT_EQ(api->KillProcess(Bstr(u"").get()), S_OK);
    EXPECT_TRUE(one.stillRuns());

    std::u16string tail = u"SLEEPER" + u16(tag) + u".EXE";
    EXPECT_EQ(api->KillProcess(Bstr(tail).get()), S_OK);
    EXPECT_EQ(one.endingSignal(), SIGKILL);
    EXPECT_EQ(two.endingSignal(), SIGKILL);
    EXPECT_TRUE(bare.stillRuns()) << "a name without the extension does not end so";
    EXPECT_EQ(callByName(byName, u"KillProcess", {str(u"sleeper" + u16(tag))}), S_OK);
    EXPECT_EQ(bare.endingSignal(), SIGKILL);
}

TEST_F(ApiFunsSystemTest, StringModulesLoadReadAndFree) {
    const std::u16string longText(300, u'L');
    fs::create_directory(dir / "Res");
    ASSERT_TRUE(tlvx::platform::strings::writeStringModule(
        dir / "Res" / "mlang.dll", {{4611, u"Western European (Windows)"},
                                    {5, std::u16string(u"before\0after", 12)},
                                    {6, longText},
                                    {7, std::u16string(253, u'a') + u"\U0001F600"}}));
    CurrentDirGuard cwd(dir.path());
    const LONG handle = loadDll(u"res\\MLANG.DLL");
    ASSERT_GT(handle, 0);
    EXPECT_EQ(dllString(handle, 4611), u"Western European (Windows)");
    EXPECT_EQ(dllString(handle, 5), u"before") << "cut at its first NUL";
    EXPECT_EQ(dllString(handle, 6), longText.substr(0, 254)) << "as the 255-character buffer";
    EXPECT_EQ(dllString(handle, 7), std::u16string(253, u'a')) << "no half of a pair";
    EXPECT_EQ(dllString(handle, 4612), u"");
    EXPECT_EQ(dllString(handle, -4611), u"");
    EXPECT_EQ(dllString(handle + 1000, 4611), u"");

    Var byNameText;
    EXPECT_EQ(callByName(byName, u"GetDLLString", {i4(handle), i2(4611)}, &byNameText.v), S_OK);
    EXPECT_EQ(std::u16string(byNameText.v.bstrVal), u"Western European (Windows)");

    EXPECT_EQ(api->UnloadDLL(handle), S_OK);
    EXPECT_EQ(dllString(handle, 4611), u"");
    EXPECT_EQ(api->UnloadDLL(handle), S_OK) << "a freed handle is passed over";

    // A bare name is looked for in the current folder after the program's.
    ASSERT_TRUE(tlvx::platform::strings::writeStringModule(dir / "tips.res", {{1, u"tip"}}));
    const LONG bare = loadDll(u"TIPS.RES");
    EXPECT_EQ(dllString(bare, 1), u"tip");
    api->UnloadDLL(bare);

    dir.write("plain.dll", "1=not built by tlvx-strings\n");
    EXPECT_EQ(loadDll(u"plain.dll"), 0);
    EXPECT_EQ(loadDll(u"missing.dll"), 0);
    EXPECT_EQ(loadDll(u""), 0);
    EXPECT_EQ(loadDll(u"C:\\Windows\\system32\\mlang.dll"), 0);
}
