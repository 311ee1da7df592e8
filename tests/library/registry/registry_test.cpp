// The Registry class as a client calls it: by slot through _Registry and by
// name through IDispatch, on a private registry store. The store itself is
// looked at through the platform's store to see the bytes a method wrote.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Morcel_TLVX.h"
#include "platform/process/boot_id.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/restart_deletions.h"
#include "platform/text/unicode_text.h"
#include "tests/support/automation_values.h"
#include "tests/support/child_process.h"
#include "tests/support/environment_guard.h"
#include "tests/support/object_ref.h"
#include "tests/support/sqlite_probe.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace {

namespace fs = std::filesystem;
using namespace tlvx::test;
using namespace std::string_literals;
using namespace std::string_view_literals;
using tlvx::platform::RegistryStore;
using tlvx::platform::RegistryValue;
namespace regtype = tlvx::platform::regtype;

constexpr uint32_t HKCU = HKEY_CURRENT_USER;
constexpr uint32_t HKLM = HKEY_LOCAL_MACHINE;
namespace restart = tlvx::platform::restart;
constexpr std::u16string_view kSessionManager = restart::kSessionManagerKey;

std::u16string u16(const std::string& utf8) {
    return tlvx::platform::unicode::utf8ToUtf16(utf8);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(reg_.create(CLSID_Registry, IID__Registry), S_OK);
        ASSERT_EQ(byName_.query(reg_, IID_IDispatch), S_OK);
    }

    fs::path storeFile() const { return dir_ / "registry.sqlite"; }
    RegistryStore store() const { return RegistryStore(storeFile()); }

    // The ten methods by slot, with the root HKEY_CURRENT_USER unless given.
    bool write(ULONG type, std::u16string_view path, std::u16string_view name,
               std::u16string_view value, ULONG root = HKCU) {
        auto keyType = static_cast<KeyType>(type);
        auto keyRoot = static_cast<KeyRoot>(root);
        Bstr p(path), n(name), v(value);
        VARIANT_BOOL done = VARIANT_TRUE;
        EXPECT_EQ(reg_->WriteRegKey(&keyType, &keyRoot, p.inOut(), n.inOut(), v.inOut(), &done),
                  S_OK);
        return done == VARIANT_TRUE;
    }
    std::u16string read(std::u16string_view path, std::u16string_view name,
                        std::optional<std::u16string_view> noKey = std::nullopt,
                        ULONG root = HKCU) {
        auto keyRoot = static_cast<KeyRoot>(root);
        Bstr p(path), n(name), missing(noKey.value_or(u"")), result;
        EXPECT_EQ(reg_->ReadRegKey(&keyRoot, p.inOut(), n.inOut(),
                                   noKey ? missing.inOut() : nullptr, result.out()),
                  S_OK);
        EXPECT_NE(result.get(), nullptr);
        return result.text();
    }
    using ListMethod = HRESULT (_Registry::*)(KeyRoot*, BSTR*, BSTR*);
    std::u16string list(ListMethod method, std::u16string_view path, ULONG root = HKCU) {
        auto keyRoot = static_cast<KeyRoot>(root);
        Bstr p(path), result;
        EXPECT_EQ((reg_->*method)(&keyRoot, p.inOut(), result.out()), S_OK);
        return result.text();
    }
    std::u16string keys(std::u16string_view path) {
        return list(&_Registry::EnumerateRegKeys, path);
    }
    std::u16string values(std::u16string_view path) {
        return list(&_Registry::EnumerateRegKeyValues, path);
    }
    std::u16string names(std::u16string_view path) {
        return list(&_Registry::EnumerateRegKeyItemNames, path);
    }
    SHORT items(std::u16string_view path) {
        auto keyRoot = static_cast<KeyRoot>(HKCU);
        Bstr p(path);
        SHORT count = -5;
        EXPECT_EQ(reg_->GetRegKeyItems(&keyRoot, p.inOut(), &count), S_OK);
        return count;
    }
    void deleteKey(std::u16string_view path, ULONG root = HKCU) {
        auto keyRoot = static_cast<KeyRoot>(root);
        Bstr p(path);
        EXPECT_EQ(reg_->DeleteRegKey(&keyRoot, p.inOut()), S_OK);
    }
    bool deleteValue(std::u16string_view path, Bstr& subKey, ULONG root = HKCU) {
        auto keyRoot = static_cast<KeyRoot>(root);
        Bstr p(path);
        VARIANT_BOOL done = VARIANT_TRUE;
        EXPECT_EQ(reg_->DeleteRegKeyValue(&keyRoot, p.inOut(), subKey.inOut(), &done), S_OK);
        return done == VARIANT_TRUE;
    }
    using FileMethod = HRESULT (_Registry::*)(KeyRoot*, BSTR*, BSTR*, VARIANT_BOOL*);
    bool hive(FileMethod method, std::u16string_view path, const std::u16string& file,
              ULONG root = HKCU) {
        auto keyRoot = static_cast<KeyRoot>(root);
        Bstr p(path), f(file);
        VARIANT_BOOL done = VARIANT_TRUE;
        EXPECT_EQ((reg_->*method)(&keyRoot, p.inOut(), f.inOut(), &done), S_OK);
        return done == VARIANT_TRUE;
    }
    bool exportKey(std::u16string_view path, const fs::path& file, ULONG root = HKCU) {
        return hive(&_Registry::ExportRegKey, path, u16(file.string()), root);
    }
    bool importKey(std::u16string_view path, const fs::path& file, ULONG root = HKCU) {
        return hive(&_Registry::ImportRegKey, path, u16(file.string()), root);
    }

    // The number of keys below `path`, at any depth, as the listings tell.
    size_t keysBelow(const std::u16string& path) {
        const std::u16string list = keys(path);
        size_t count = 0;
        for (size_t start = 0; !list.empty() && start != std::u16string::npos;) {
            const size_t cut = list.find(u"*SK*", start);
            count += 1 + keysBelow(path + u"\\" + list.substr(start, cut - start));
            start = cut == std::u16string::npos ? cut : cut + 4;
        }
        return count;
    }

    // A call by name; `args` in call order, cleared afterwards.
    HRESULT call(const char16_t* name, std::vector<VARIANT> args, VARIANT* result = nullptr) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(byName_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        const HRESULT hr = byName_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                           &params, result, nullptr, nullptr);
        for (VARIANT& v : args) VariantClear(&v);
        return hr;
    }

    TempDir dir_;
    EnvironmentGuard registryFile_{"TLVX_REGISTRY", storeFile().string()};
    // Last, so that the object goes before the folders and settings it used.
    ObjectRef<_Registry> reg_;
    ObjectRef<IDispatch> byName_;
};

// ---------------------------------------------------------------------------
// Writing and reading values

TEST_F(RegistryTest, EachTypeIsStoredAsTheRegistryHoldsItAndReadBack) {
    ASSERT_TRUE(write(REG_SZ, u"App", u"Text", u"caf\u00e9"));
    ASSERT_TRUE(write(REG_SZ, u"App", u"Empty", u""));
    ASSERT_TRUE(write(REG_DWORD, u"App", u"Minus", u"-1"));
    ASSERT_TRUE(write(REG_BINARY, u"App", u"Byte", u"200"));
    ASSERT_TRUE(write(REG_SZ, u"App", u"", u"the default"));

    // Strings as the code page's text with one terminating zero.
    EXPECT_EQ(store().getValue(HKCU, u"App", u"Text")->ansiData(), std::string("caf\xE9\0", 5));
    EXPECT_EQ(store().getValue(HKCU, u"App", u"Text")->type, regtype::Sz);
    EXPECT_EQ(store().getValue(HKCU, u"App", u"Empty")->ansiData(), std::string(1, '\0'));
    EXPECT_EQ(store().getValue(HKCU, u"App", u"Minus"),
              (RegistryValue{regtype::Dword, "\xFF\xFF\xFF\xFF"}));
    EXPECT_EQ(store().getValue(HKCU, u"App", u"Byte"), (RegistryValue{regtype::Binary, "\xC8"}));

    EXPECT_EQ(read(u"App", u"Text"), u"caf\u00e9");
    EXPECT_EQ(read(u"App", u"Empty"), u"");
    EXPECT_EQ(read(u"App", u"Minus"), u"-1");
    EXPECT_EQ(read(u"App", u"Byte"), u"200");
    EXPECT_EQ(read(u"App", u""), u"the default");
    // Names are case-blind.
    EXPECT_EQ(read(u"APP", u"TEXT"), u"caf\u00e9");

    // Numbers are read as Basic reads them: rounded halves to even, &H.
    ASSERT_TRUE(write(REG_DWORD, u"App", u"Hex", u"&HFF"));
    ASSERT_TRUE(write(REG_BINARY, u"App", u"Half", u"2.5"));
    EXPECT_EQ(read(u"App", u"Hex"), u"255");
    EXPECT_EQ(read(u"App", u"Half"), u"2");
}

TEST_F(RegistryTest, ANumberThatDoesNotConvertWritesNothingAndReportsIt) {
    ASSERT_TRUE(write(REG_DWORD, u"App", u"Kept", u"7"));
    // Beyond the signed range, beyond a byte, or no number at all.
    EXPECT_FALSE(write(REG_DWORD, u"App", u"Kept", u"4294967295"));
    EXPECT_FALSE(write(REG_BINARY, u"App", u"Byte", u"256"));
    EXPECT_FALSE(write(REG_BINARY, u"App", u"Byte", u"-1"));
    EXPECT_FALSE(write(REG_DWORD, u"App", u"Word", u"seven"));
    EXPECT_FALSE(write(REG_DWORD, u"New\\Key", u"Word", u""));
    EXPECT_EQ(read(u"App", u"Kept"), u"7");
    EXPECT_EQ(names(u"App"), u"Kept");
    EXPECT_FALSE(store().keyExists(HKCU, u"New"));
}

TEST_F(RegistryTest, AnUnknownTypeCreatesTheKeyOnly) {
    EXPECT_TRUE(write(7, u"Made\\Here", u"v", u"1"));
    EXPECT_TRUE(write(0, u"Made\\Too", u"v", u"1"));
    EXPECT_TRUE(store().keyExists(HKCU, u"Made\\Here"));
    EXPECT_EQ(items(u"Made\\Here"), 0);
    EXPECT_EQ(keys(u"Made"), u"Here*SK*Too");
    // A root that is none of the five writes nothing anywhere.
    EXPECT_FALSE(write(REG_SZ, u"Made", u"v", u"1", 0x80000004u));
    EXPECT_FALSE(write(99, u"Made", u"v", u"1", 0x80000004u));
}

TEST_F(RegistryTest, MissingKeyAndMissingValueAreTold) {
    ASSERT_TRUE(write(REG_SZ, u"Here", u"v", u"1"));
    EXPECT_EQ(read(u"Nowhere", u"v", u"no key"), u"no key");
    EXPECT_EQ(read(u"Here", u"other", u"no key"), u"");
    EXPECT_EQ(read(u"Nowhere", u"v"), u"");  // the default NoKeyFoundValue
    // The roots always exist.
    EXPECT_EQ(read(u"", u"v", u"no key"), u"");
    EXPECT_EQ(read(u"Here", u"v", u"no key", 0x80000004u), u"no key");
}

TEST_F(RegistryTest, ExpandableTextTakesTheEnvironment) {
    EnvironmentGuard root("SystemRoot", "/opt/windows");
    EnvironmentGuard unset("TLVX_NOT_SET", std::nullopt);
    ASSERT_TRUE(write(REG_EXPAND_SZ, u"Env", u"Root", u"%SystemRoot%"));
    ASSERT_TRUE(write(REG_EXPAND_SZ, u"Env", u"Mixed", u"%SystemRoot%\\x %TLVX_NOT_SET% 100%"));
    ASSERT_TRUE(write(REG_SZ, u"Env", u"Plain", u"%SystemRoot%"));
    // Stored as written, expanded when read.
    EXPECT_EQ(store().getValue(HKCU, u"Env", u"Root")->ansiData(),
              std::string("%SystemRoot%\0", 13));
    EXPECT_EQ(read(u"Env", u"Root"), u"/opt/windows");
    EXPECT_EQ(read(u"Env", u"Mixed"), u"/opt/windows\\x %TLVX_NOT_SET% 100%");
    EXPECT_EQ(read(u"Env", u"Plain"), u"%SystemRoot%");

    // The expansion fills at most its buffer of 1000 characters.
    EnvironmentGuard big("TLVX_BIG", std::string(1500, 'b'));
    ASSERT_TRUE(write(REG_EXPAND_SZ, u"Env", u"Big", u"%TLVX_BIG%"));
    EXPECT_EQ(read(u"Env", u"Big"), std::u16string(999, u'b'));
}

TEST_F(RegistryTest, TheWindowsFolderNamesStandForTheFolderBesideTheStore) {
    EnvironmentGuard root("SystemRoot", std::nullopt);
    EnvironmentGuard lower("windir", std::nullopt);
    EnvironmentGuard upper("WinDir", std::nullopt);
    EnvironmentGuard unset("TLVX_NOT_SET", std::nullopt);
    const std::u16string windows = (dir_ / "windows").u16string();
    struct Case {
        const char16_t* written;
        std::u16string read;
    };
    const Case cases[] = {
        {u"%SystemRoot%", windows},
        {u"%SYSTEMROOT%\\system32", windows + u"\\system32"},
        {u"%windir%;%WinDir%", windows + u";" + windows},
        {u"%SystemDrive%%TLVX_NOT_SET%", u"%SystemDrive%%TLVX_NOT_SET%"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(write(REG_EXPAND_SZ, u"Env", u"v", c.written));
        EXPECT_EQ(read(u"Env", u"v"), c.read) << tlvx::platform::unicode::utf16ToUtf8(c.written);
    }
    // The environment's own value comes first.
    EnvironmentGuard set("SystemRoot", "/opt/windows");
    ASSERT_TRUE(write(REG_EXPAND_SZ, u"Env", u"v", u"%SystemRoot%|%windir%"));
    EXPECT_EQ(read(u"Env", u"v"), u"/opt/windows|" + windows);
}

TEST_F(RegistryTest, TextPassesTheCodePageAndDataKeepTheirZeros) {
    // Outside code page 1252: '?', in names and data alike.
    ASSERT_TRUE(write(REG_SZ, u"K\u00e4se\\\u0416", u"\u20ac\u0416", u"\u0416 \u20ac"));
    EXPECT_EQ(keys(u"k\u00c4SE"), u"?");
    EXPECT_EQ(names(u"K\u00e4se\\?"), u"\u20ac?");
    EXPECT_EQ(read(u"K\u00e4se\\?", u"\u20ac?"), u"? \u20ac");

    // Data keep their NUL and are read up to it.
    ASSERT_TRUE(write(REG_SZ, u"Nul", u"name", u"before\0after"sv));
    EXPECT_EQ(store().getValue(HKCU, u"Nul", u"name")->ansiData(),
              std::string("before\0after\0", 13));
    EXPECT_EQ(read(u"Nul", u"name"), u"before");
}

TEST_F(RegistryTest, NamesHoldingNulAreRefusedWithNothingWritten) {
    ASSERT_TRUE(write(REG_SZ, u"A", u"v", u"kept"));
    ASSERT_TRUE(write(REG_SZ, u"A\\B", u"v", u"kept"));
    const fs::path hiveFile = dir_ / "a.hive";
    ASSERT_TRUE(exportKey(u"A", hiveFile));
    struct Case {
        std::u16string_view path;
        std::u16string_view name;
    };
    for (const Case& c : {Case{u"A\0B"sv, u"v"sv}, Case{u"A"sv, u"v\0hidden"sv},
                          Case{u"\0"sv, u""sv}, Case{u"A"sv, u"\0"sv}}) {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()) + " / " +
                     std::string(c.name.begin(), c.name.end()));
        EXPECT_FALSE(write(REG_SZ, c.path, c.name, u"forged"));
        EXPECT_FALSE(write(REG_DWORD, c.path, c.name, u"1"));
        EXPECT_EQ(read(c.path, c.name, u"no key"sv), u"");
        Bstr name(c.name);
        EXPECT_FALSE(deleteValue(c.path, name));
    }
    for (const std::u16string_view path : {u"A\0B"sv, u"A\0"sv, u"\0A"sv}) {
        EXPECT_FALSE(write(99, path, u"", u""));
        EXPECT_EQ(keys(path), u"");
        EXPECT_EQ(names(path), u"");
        EXPECT_EQ(values(path), u"");
        EXPECT_EQ(items(path), 0);
        EXPECT_FALSE(importKey(path, hiveFile));
        EXPECT_FALSE(exportKey(path, dir_ / "nul.hive"));
        deleteKey(path);
    }
    EXPECT_FALSE(fs::exists(dir_ / "nul.hive"));
    EXPECT_EQ(keys(u""), u"A");
    EXPECT_EQ(values(u""), u"");
    EXPECT_EQ(keys(u"A"), u"B");
    EXPECT_EQ(names(u"A"), u"v");
    EXPECT_EQ(read(u"A", u"v"), u"kept");
}

// ---------------------------------------------------------------------------
// The deletions queued for the next start

TEST_F(RegistryTest, TheListOfDeletionsAtTheNextStartIsNotWrittenThroughTheRegistry) {
    struct Target {
        ULONG root;
        std::u16string_view path;
        std::u16string_view name;
        bool refused;
    };
    const Target targets[] = {
        {HKLM, kSessionManager, u"PendingFileRenameOperations", true},
        {HKLM, u"system\\currentcontrolset\\control\\SESSION MANAGER",
         u"pendingfilerenameoperations", true},
        {HKLM, u"\\SYSTEM\\\\CurrentControlSet\\Control\\Session Manager\\",
         u"PendingFileRenameBootId", true},
        {HKLM, kSessionManager, u"PendingFileRenameFolders", true},
        {HKLM, kSessionManager, u"AllowProtectedRenames", false},
        {HKLM, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Sub",
         u"PendingFileRenameOperations", false},
        {HKCU, kSessionManager, u"PendingFileRenameOperations", false},
    };
    for (const Target& t : targets) {
        SCOPED_TRACE(std::string(t.path.begin(), t.path.end()) + " / " +
                     std::string(t.name.begin(), t.name.end()));
        EXPECT_EQ(write(REG_SZ, t.path, t.name, u"C:\\victim", t.root), !t.refused);
        EXPECT_EQ(write(REG_DWORD, t.path, t.name, u"1", t.root), !t.refused);
        EXPECT_EQ(store().getValue(t.root, t.path, t.name).has_value(), !t.refused);
        Bstr name(t.name);
        EXPECT_EQ(deleteValue(t.path, name, t.root), !t.refused);
    }

    // What DelUntilReboot wrote stays, whatever removal is asked for.
    const auto file = dir_.write("queued.tmp", "");
    auto s = store();
    ASSERT_TRUE(restart::scheduleDeletion(s, file, tlvx::platform::currentBootId()));
    for (const std::u16string_view path :
         {kSessionManager, u"SYSTEM\\CurrentControlSet"sv, u"system"sv}) {
        deleteKey(path, HKLM);
        Bstr name(restart::kOperationsValue);
        EXPECT_FALSE(deleteValue(path, name, HKLM));
    }
    EXPECT_EQ(restart::pendingOperations(store()).size(), 1u);
}

TEST_F(RegistryTest, ACraftedHiveCannotQueueDeletions) {
    const auto victim = dir_.write("victim.txt", "mine");
    struct stat folder {};
    ASSERT_EQ(::stat(victim.parent_path().c_str(), &folder), 0);
    // The forger's own store holds a list as DelUntilReboot would write it,
    // folder identity and all, marked as asked for in another run.
    const fs::path forgerFile = dir_ / "forger.sqlite";
    {
        RegistryStore forger(forgerFile);
        const auto multi = [](const std::u16string& text) {
            const std::u16string units = text + u'\0' + u'\0' + u'\0';
            std::string bytes;
            for (const char16_t c : units) bytes += {static_cast<char>(c & 0xFF), '\0'};
            return RegistryValue{regtype::MultiSz, bytes};
        };
        const std::string identity =
            std::to_string(folder.st_dev) + ":" + std::to_string(folder.st_ino);
        ASSERT_TRUE(forger.setValue(HKLM, kSessionManager, restart::kOperationsValue,
                                    multi(u16(victim.string()))));
        ASSERT_TRUE(
            forger.setValue(HKLM, kSessionManager, restart::kFoldersValue, multi(u16(identity))));
        ASSERT_TRUE(forger.setValue(HKLM, kSessionManager, restart::kBootIdValue,
                                    RegistryValue::fromString(u"00000000-0000-0000-0000-0")));
        EnvironmentGuard forgersStore("TLVX_REGISTRY", forgerFile.string());
        ASSERT_TRUE(exportKey(kSessionManager, dir_ / "session.hive", HKLM));
        ASSERT_TRUE(exportKey(u"SYSTEM", dir_ / "system.hive", HKLM));
    }

    ASSERT_TRUE(write(REG_DWORD, kSessionManager, u"AllowProtectedRenames", u"1", HKLM));
    struct Import {
        std::u16string_view path;
        const char* hive;
    };
    for (const Import& i :
         {Import{kSessionManager, "session.hive"},
          Import{u"system\\currentcontrolset\\control\\session manager", "session.hive"},
          Import{u"SYSTEM\\CurrentControlSet\\Control", "session.hive"},
          Import{u"SYSTEM", "system.hive"}, Import{u"\\System\\", "system.hive"},
          Import{u"", "system.hive"}}) {
        SCOPED_TRACE(std::string(i.path.begin(), i.path.end()));
        EXPECT_FALSE(importKey(i.path, dir_ / i.hive, HKLM));
    }
    EXPECT_TRUE(restart::pendingOperations(store()).empty());
    EXPECT_EQ(read(kSessionManager, u"AllowProtectedRenames", std::nullopt, HKLM), u"1");

    // Elsewhere the hive is only data.
    ASSERT_TRUE(write(REG_SZ, u"Software\\Copy", u"", u"", HKLM));
    EXPECT_TRUE(importKey(u"Software\\Copy", dir_ / "session.hive", HKLM));

    // What a library load does: nothing is due, the victim stays.
    EXPECT_EQ(restart::carryOutDueOperations(), 0u);
    EXPECT_EQ(TempDir::read(victim), "mine");
}

TEST_F(RegistryTest, ValuesWrittenByOthersFollowTheReadingRule) {
    // Registration and other writers store UTF-16 text and any type.
    auto s = store();
    ASSERT_TRUE(
        s.setValue(HKCU, u"Other", u"utf16", RegistryValue::fromString(u"Z\u00fcrich \u0416")));
    ASSERT_TRUE(
        s.setValue(HKCU, u"Other", u"three", {regtype::Binary, std::string("\x01\x02\x03")}));
    ASSERT_TRUE(s.setValue(HKCU, u"Other", u"none", {regtype::Binary, ""}));
    ASSERT_TRUE(s.setValue(HKCU, u"Other", u"high", {regtype::Binary, "\x00\x00\x00\x80"s}));
    ASSERT_TRUE(s.setValue(HKCU, u"Other", u"qword", {regtype::Qword, std::string(8, '\x01')}));
    ASSERT_TRUE(s.setValue(HKCU, u"Other", u"multi",
                           RegistryValue::fromString(u"one\0two\0"sv, regtype::MultiSz)));
    EXPECT_EQ(read(u"Other", u"utf16"), u"Z\u00fcrich ?");
    EXPECT_EQ(read(u"Other", u"three"), u"197121");  // 0x030201
    EXPECT_EQ(read(u"Other", u"none"), u"0");
    EXPECT_EQ(read(u"Other", u"high"), u"-2147483648");
    EXPECT_EQ(read(u"Other", u"qword"), u"");
    EXPECT_EQ(read(u"Other", u"multi"), u"");  // more than four bytes
}

// ---------------------------------------------------------------------------
// Listings

TEST_F(RegistryTest, ListingsJoinNamesInTheOrderOfCreation) {
    ASSERT_TRUE(write(0, u"L\\B", u"", u""));
    ASSERT_TRUE(write(0, u"L\\A", u"", u""));
    ASSERT_TRUE(write(REG_SZ, u"L", u"x", u"1"));
    ASSERT_TRUE(write(REG_DWORD, u"L", u"y", u"2"));
    ASSERT_TRUE(write(REG_BINARY, u"L", u"z", u"3"));
    EXPECT_EQ(keys(u"L"), u"B*SK*A");
    EXPECT_EQ(values(u"L"), u"x*NDS*1*IS*y*NDS*2*IS*z*NDS*3");
    EXPECT_EQ(names(u"L"), u"x*IS*y*IS*z");
    EXPECT_EQ(items(u"L"), 3);

    // Without items, and for a key that does not exist.
    EXPECT_EQ(keys(u"L\\A"), u"");
    EXPECT_EQ(values(u"L\\A"), u"");
    EXPECT_EQ(names(u"L\\A"), u"");
    EXPECT_EQ(items(u"L\\A"), 0);
    EXPECT_EQ(keys(u"Missing"), u"");
    EXPECT_EQ(values(u"Missing"), u"");
    EXPECT_EQ(items(u"Missing"), 0);
}

TEST_F(RegistryTest, ListedNamesAreTrimmedAndALongNameEndsTheList) {
    auto s = store();
    ASSERT_TRUE(s.createKey(HKCU, u"T\\  padded  "));
    ASSERT_TRUE(s.createKey(HKCU, u"T\\" + std::u16string(254, u'k')));
    ASSERT_TRUE(s.createKey(HKCU, u"T\\" + std::u16string(255, u'l')));
    ASSERT_TRUE(s.createKey(HKCU, u"T\\after"));
    EXPECT_EQ(keys(u"T"), u"padded*SK*" + std::u16string(254, u'k'));

    const auto one = RegistryValue::fromDword(1);
    ASSERT_TRUE(s.setValue(HKCU, u"V", u" a ", one));
    ASSERT_TRUE(s.setValue(HKCU, u"V", std::u16string(u"b\0", 2), one));
    ASSERT_TRUE(s.setValue(HKCU, u"V", std::u16string(255, u'v'), one));
    ASSERT_TRUE(s.setValue(HKCU, u"V", u"after", one));
    EXPECT_EQ(names(u"V"), u"a*IS*b");
    EXPECT_EQ(values(u"V"), u"a*NDS*1*IS*b*NDS*1");
    EXPECT_EQ(items(u"V"), 2);
}

TEST_F(RegistryTest, TheItemCountStaysAtTheLargestInteger) {
    std::vector<HiveValue> many;
    many.reserve(40000);
    for (int i = 0; i < 40000; ++i) many.push_back({1, "v" + std::to_string(i), 4, "\1\0\0\0"s});
    const fs::path file = dir_ / "many.hive";
    ASSERT_TRUE(writeHive(file, {{1, 0, "Many"}}, many));
    ASSERT_TRUE(write(0, u"Many", u"", u""));
    ASSERT_TRUE(importKey(u"Many", file));
    EXPECT_EQ(items(u"Many"), 32767);
    EXPECT_EQ(read(u"Many", u"v39999"), u"1");
}

// ---------------------------------------------------------------------------
// Deleting

TEST_F(RegistryTest, DeleteRegKeyRemovesTheWholeSubtree) {
    ASSERT_TRUE(write(REG_SZ, u"Top\\Mid\\Deep", u"v", u"3"));
    ASSERT_TRUE(write(REG_SZ, u"Top\\Mid", u"v", u"2"));
    ASSERT_TRUE(write(REG_SZ, u"Top\\Side", u"v", u"s"));
    ASSERT_TRUE(write(REG_SZ, u"Keep", u"v", u"k"));
    deleteKey(u"top\\mid");
    EXPECT_EQ(keys(u"Top"), u"Side");
    deleteKey(u"Top");
    EXPECT_EQ(keys(u""), u"Keep");
    EXPECT_EQ(read(u"Top", u"v", u"gone"), u"gone");

    // Also subkeys whose names a listing cannot carry.
    auto s = store();
    ASSERT_TRUE(s.createKey(HKCU, u"Odd\\ spaced \\x"));
    ASSERT_TRUE(s.createKey(HKCU, u"Odd\\a*SK*b"));
    ASSERT_TRUE(s.createKey(HKCU, u"Odd\\" + std::u16string(255, u'n')));
    deleteKey(u"Odd");
    EXPECT_FALSE(s.keyExists(HKCU, u"Odd"));
}

TEST_F(RegistryTest, DeleteRegKeyNeverEmptiesARoot) {
    ASSERT_TRUE(write(REG_SZ, u"Software\\App", u"v", u"1"));
    ASSERT_TRUE(write(REG_SZ, u"CLSID\\{x}", u"", u"class", HKEY_CLASSES_ROOT));
    for (const char16_t* path : {u"", u"\\", u"\\\\"}) deleteKey(path);
    deleteKey(u"", HKEY_CLASSES_ROOT);
    EXPECT_EQ(keys(u""), u"Software");
    EXPECT_EQ(read(u"CLSID\\{x}", u"", u"", HKEY_CLASSES_ROOT), u"class");
    deleteKey(u"Missing");  // nothing to do, nothing told
}

TEST_F(RegistryTest, DeleteRegKeyValueWithAnEmptyNameUsesThePath) {
    ASSERT_TRUE(write(REG_SZ, u"D", u"a", u"1"));
    ASSERT_TRUE(write(REG_SZ, u"D", u"", u"default"));
    ASSERT_TRUE(write(REG_SZ, u"D", u"D", u"named like the path"));
    Bstr a(u"A");
    EXPECT_TRUE(deleteValue(u"d", a));
    EXPECT_EQ(a.text(), u"A");
    EXPECT_FALSE(deleteValue(u"D", a));
    Bstr none(u"x");
    EXPECT_FALSE(deleteValue(u"Missing", none));

    Bstr empty(u"");
    EXPECT_TRUE(deleteValue(u"D", empty));
    EXPECT_EQ(empty.text(), u"D");  // the path, written back
    EXPECT_EQ(names(u"D"), u"");
    EXPECT_EQ(read(u"D", u""), u"default");
    Bstr null;  // a null string is the empty one
    EXPECT_FALSE(deleteValue(u"D", null));
    EXPECT_EQ(null.text(), u"D");
}

// ---------------------------------------------------------------------------
// Hive files

TEST_F(RegistryTest, ExportAndImportCarryTheWholeSubtree) {
    ASSERT_TRUE(write(REG_SZ, u"Src", u"", u"top"));
    ASSERT_TRUE(write(REG_EXPAND_SZ, u"Src\\Zeta", u"path", u"%HOME%\\x"));
    ASSERT_TRUE(write(REG_DWORD, u"Src\\Alpha\\Deep", u"n", u"-7"));
    ASSERT_TRUE(write(REG_BINARY, u"Src\\Alpha", u"b", u"9"));
    const fs::path file = dir_ / "src.hive";
    ASSERT_TRUE(exportKey(u"src", file));

    ASSERT_TRUE(write(REG_SZ, u"Dst\\Stale", u"old", u"x"));
    ASSERT_TRUE(write(REG_SZ, u"Dst", u"old", u"x"));
    ASSERT_TRUE(importKey(u"Dst", file));
    EXPECT_EQ(keys(u"Dst"), u"Zeta*SK*Alpha");
    EXPECT_EQ(values(u"Dst"), u"*NDS*top");
    EXPECT_EQ(store().getValue(HKCU, u"Dst\\Zeta", u"path"),
              store().getValue(HKCU, u"Src\\Zeta", u"path"));
    EXPECT_EQ(read(u"Dst\\Alpha\\Deep", u"n"), u"-7");
    EXPECT_EQ(read(u"Dst\\Alpha", u"b"), u"9");

    // Windows notation and another letter case find the file.
    CurrentDirGuard cwd(dir_.path());
    EXPECT_TRUE(hive(&_Registry::ExportRegKey, u"Src\\Alpha", u".\\alpha.hive"));
    EXPECT_TRUE(hive(&_Registry::ImportRegKey, u"Dst\\Zeta", u".\\ALPHA.HIVE"));
    EXPECT_EQ(keys(u"Dst\\Zeta"), u"Deep");
}

TEST_F(RegistryTest, ExportReplacesTheFileOnlyWhenItSucceeds) {
    ASSERT_TRUE(write(REG_SZ, u"Src", u"v", u"1"));
    const fs::path file = dir_.write("out.hive", "previous content");
    EXPECT_FALSE(exportKey(u"Missing", file));
    EXPECT_EQ(TempDir::read(file), "previous content");
    EXPECT_FALSE(exportKey(u"Src", dir_ / "no" / "folder.hive"));
    EXPECT_FALSE(fs::exists(dir_ / "no"));

    struct stat before {};
    ::stat(file.c_str(), &before);
    ASSERT_TRUE(exportKey(u"Src", file));
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino) << "a new file renamed over the old one";
    EXPECT_EQ(TempDir::read(file).rfind("SQLite format 3", 0), 0u);
    // No half-written file is left beside it.
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
        EXPECT_NE(entry.path().filename().string().rfind(".out.hive", 0), 0u) << entry.path();
    }
}

TEST_F(RegistryTest, ImportRefusesWhatIsNotAHiveAndAMissingKey) {
    ASSERT_TRUE(write(REG_SZ, u"Keep\\Sub", u"v", u"1"));
    const fs::path file = dir_ / "keep.hive";
    ASSERT_TRUE(exportKey(u"Keep", file));

    EXPECT_FALSE(importKey(u"Missing", file));
    EXPECT_FALSE(store().keyExists(HKCU, u"Missing"));
    EXPECT_FALSE(importKey(u"Keep", dir_.write("text.hive", "not a hive at all")));
    EXPECT_FALSE(importKey(u"Keep", dir_ / "absent.hive"));
    EXPECT_FALSE(importKey(u"Keep", storeFile()));  // a database, but not a hive
    std::string cut = TempDir::read(file);
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(importKey(u"Keep", dir_.write("cut.hive", cut)));
    EXPECT_EQ(keys(u"Keep"), u"Sub");
    EXPECT_EQ(read(u"Keep\\Sub", u"v"), u"1");
}

// ---------------------------------------------------------------------------
// By name

TEST_F(RegistryTest, ByNameReachesTheSameMethods) {
    const auto text = [](const VARIANT& v) {
        return v.vt == VT_BSTR ? std::u16string(v.bstrVal, SysStringLen(v.bstrVal))
                               : std::u16string(u"<not a string>");
    };
    LONG root = static_cast<LONG>(HKCU);
    LONG type = REG_DWORD;
    BSTR path = SysAllocString(u"ByName\\Sub");
    BSTR name = SysAllocString(u"count");
    BSTR value = SysAllocString(u"-1");
    Var done;
    ASSERT_EQ(call(u"WriteRegKey",
                   {ref(VT_I4, &type), ref(VT_I4, &root), ref(VT_BSTR, &path), ref(VT_BSTR, &name),
                    ref(VT_BSTR, &value)},
                   &done.v),
              S_OK);
    EXPECT_EQ(done.v.vt, VT_BOOL);
    EXPECT_EQ(done.v.boolVal, VARIANT_TRUE);

    Var read;
    ASSERT_EQ(
        call(u"readregkey", {ref(VT_I4, &root), ref(VT_BSTR, &path), ref(VT_BSTR, &name)}, &read.v),
        S_OK);
    EXPECT_EQ(text(read.v), u"-1");
    // By value too, the types coerced, and the optional given.
    Var readMissing;
    ASSERT_EQ(
        call(u"ReadRegKey", {i4(static_cast<LONG>(HKCU)), str(u"Nowhere"), str(u"x"), str(u"none")},
             &readMissing.v),
        S_OK);
    EXPECT_EQ(text(readMissing.v), u"none");

    BSTR parent = SysAllocString(u"ByName");
    Var list, count, listed, itemNames;
    ASSERT_EQ(call(u"EnumerateRegKeys", {ref(VT_I4, &root), ref(VT_BSTR, &parent)}, &list.v), S_OK);
    EXPECT_EQ(text(list.v), u"Sub");
    ASSERT_EQ(call(u"GetRegKeyItems", {ref(VT_I4, &root), ref(VT_BSTR, &path)}, &count.v), S_OK);
    EXPECT_EQ(count.v.vt, VT_I2);
    EXPECT_EQ(count.v.iVal, 1);
    ASSERT_EQ(call(u"EnumerateRegKeyValues", {ref(VT_I4, &root), ref(VT_BSTR, &path)}, &listed.v),
              S_OK);
    EXPECT_EQ(text(listed.v), u"count*NDS*-1");
    ASSERT_EQ(
        call(u"EnumerateRegKeyItemNames", {ref(VT_I4, &root), ref(VT_BSTR, &path)}, &itemNames.v),
        S_OK);
    EXPECT_EQ(text(itemNames.v), u"count");

    // Export and import by name.
    BSTR file = SysAllocString(u16((dir_ / "byname.hive").string()).c_str());
    BSTR copy = SysAllocString(u"Copy");
    Var exported, imported;
    ASSERT_TRUE(store().createKey(HKCU, u"Copy"));
    ASSERT_EQ(call(u"ExportRegKey", {ref(VT_I4, &root), ref(VT_BSTR, &parent), ref(VT_BSTR, &file)},
                   &exported.v),
              S_OK);
    ASSERT_EQ(call(u"ImportRegKey", {ref(VT_I4, &root), ref(VT_BSTR, &copy), ref(VT_BSTR, &file)},
                   &imported.v),
              S_OK);
    EXPECT_EQ(exported.v.boolVal, VARIANT_TRUE);
    EXPECT_EQ(imported.v.boolVal, VARIANT_TRUE);
    EXPECT_EQ(keys(u"Copy"), u"Sub");

    // The omitted SubKey of DeleteRegKeyValue is the path: the value named
    // like it goes.
    ASSERT_TRUE(write(REG_SZ, u"ByName", u"ByName", u"x"));
    Var deleted;
    ASSERT_EQ(call(u"DeleteRegKeyValue", {ref(VT_I4, &root), ref(VT_BSTR, &parent), missing()},
                   &deleted.v),
              S_OK);
    EXPECT_EQ(deleted.v.boolVal, VARIANT_TRUE);
    // A given empty SubKey gets the path written back.
    BSTR subKey = SysAllocString(u"");
    ASSERT_EQ(call(u"DeleteRegKeyValue",
                   {ref(VT_I4, &root), ref(VT_BSTR, &parent), ref(VT_BSTR, &subKey)}, &deleted.v),
              S_OK);
    EXPECT_EQ(deleted.v.boolVal, VARIANT_FALSE);
    EXPECT_EQ(std::u16string(subKey, SysStringLen(subKey)), u"ByName");

    ASSERT_EQ(call(u"DeleteRegKey", {ref(VT_I4, &root), ref(VT_BSTR, &parent)}), S_OK);
    EXPECT_FALSE(store().keyExists(HKCU, u"ByName"));
    // The caller's by-reference arguments are left as they were.
    EXPECT_EQ(root, static_cast<LONG>(HKCU));
    EXPECT_EQ(std::u16string(path, SysStringLen(path)), u"ByName\\Sub");
    for (BSTR b : {path, name, value, parent, file, copy, subKey}) SysFreeString(b);
}

// ---------------------------------------------------------------------------
// A store that cannot serve, and more than one writer

TEST_F(RegistryTest, AStoreThatIsNotADatabaseGivesTheNeutralResults) {
    dir_.write("registry.sqlite", std::string(4096, 'x'));
    EXPECT_FALSE(write(REG_SZ, u"A", u"v", u"1"));
    EXPECT_FALSE(write(99, u"A", u"v", u"1"));
    EXPECT_EQ(read(u"A", u"v", u"no key"), u"no key");
    EXPECT_EQ(keys(u""), u"");
    EXPECT_EQ(values(u""), u"");
    EXPECT_EQ(names(u""), u"");
    EXPECT_EQ(items(u""), 0);
    deleteKey(u"A");
    Bstr v(u"v");
    EXPECT_FALSE(deleteValue(u"A", v));
    EXPECT_FALSE(exportKey(u"", dir_ / "out.hive"));
    EXPECT_FALSE(fs::exists(dir_ / "out.hive"));
    EXPECT_EQ(TempDir::read(storeFile()), std::string(4096, 'x'));
}

TEST_F(RegistryTest, AReadOnlyStoreIsReadButNotWritten) {
    ASSERT_TRUE(write(REG_SZ, u"A\\B", u"v", u"1"));
    const fs::path file = dir_ / "a.hive";
    ASSERT_TRUE(exportKey(u"A", file));
    fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::others_read |
                                     fs::perms::others_exec | fs::perms::group_read |
                                     fs::perms::group_exec);
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_read | fs::perms::others_read);
    }
    _Registry* reg = reg_;
    const std::string storeName = storeFile().string();
    EXPECT_TRUE(runUnprivileged([&] {
        // A fresh object in a fresh process: no connection left from above.
        auto keyRoot = static_cast<KeyRoot>(HKCU);
        auto keyType = static_cast<KeyType>(REG_SZ);
        Bstr a(u"A"), b(u"A\\B"), v(u"v"), one(u"1"), f(u16(file.string())), result;
        VARIANT_BOOL wrote = VARIANT_TRUE, imported = VARIANT_TRUE, deleted = VARIANT_TRUE;
        reg->WriteRegKey(&keyType, &keyRoot, a.inOut(), v.inOut(), one.inOut(), &wrote);
        reg->ImportRegKey(&keyRoot, a.inOut(), f.inOut(), &imported);
        reg->DeleteRegKeyValue(&keyRoot, b.inOut(), v.inOut(), &deleted);
        reg->DeleteRegKey(&keyRoot, a.inOut());
        reg->EnumerateRegKeys(&keyRoot, a.inOut(), result.out());
        return wrote == VARIANT_FALSE && imported == VARIANT_FALSE && deleted == VARIANT_FALSE &&
               result.text() == u"B" && RegistryStore(storeName).keyExists(HKCU, u"A\\B");
    }));
    EXPECT_EQ(read(u"A\\B", u"v"), u"1");
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceBothSucceed) {
    // The store does not exist yet: both may be the one to make it.
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] == 0) {
            bool ok = true;
            for (int i = 0; i < 25; ++i) {
                const std::u16string name = u16("w" + std::to_string(c) + "_" + std::to_string(i));
                ok = write(REG_DWORD, u"Busy", name, u16(std::to_string(i))) && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(items(u"Busy"), 50);
    EXPECT_EQ(read(u"Busy", u"w1_24"), u"24");
}

TEST_F(RegistryTest, AnImportKilledMidWayLeavesTheKeyAsItWasOrAsTheHiveHasIt) {
    // A big hive: a tree doubled by importing it into a new subkey of itself.
    ASSERT_TRUE(write(REG_SZ, u"Big\\Seed", u"Lines", u"text"));
    for (int round = 0; round < 11; ++round) {
        const std::u16string copy = u16("Big\\Copy" + std::to_string(round));
        ASSERT_TRUE(exportKey(u"Big", dir_ / "grow.hive"));
        ASSERT_TRUE(write(0, copy, u"", u""));
        ASSERT_TRUE(importKey(copy, dir_ / "grow.hive"));
    }
    const fs::path big = dir_ / "big.hive";
    ASSERT_TRUE(exportKey(u"Big", big));
    deleteKey(u"Big");
    const size_t full = 4095;

    int killedWhileImporting = 0;
    for (int delayMs : {0, 1, 3, 8, 20, 50}) {
        SCOPED_TRACE(delayMs);
        deleteKey(u"Project");
        ASSERT_TRUE(write(REG_SZ, u"Project\\Old", u"v", u"1"));
        const pid_t child = fork();
        if (child == 0) _exit(importKey(u"Project", big) ? 0 : 1);
        if (waitUntilWriteLocked(storeFile(), child)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            ++killedWhileImporting;
        }

        EXPECT_TRUE(integrityChecked(storeFile()));
        const size_t keys = keysBelow(u"Project");
        EXPECT_TRUE(keys == 1 || keys == full) << keys << " keys";
        if (keys == 1) {
            EXPECT_EQ(read(u"Project\\Old", u"v"), u"1");
        } else {
            EXPECT_EQ(read(u"Project\\Seed", u"Lines"), u"text");
        }
    }
    EXPECT_GT(killedWhileImporting, 0);
}

}  // namespace
