// The component module as a file: what it exports, what it writes into the
// registry store and takes out again, how clients find it with and without
// registration, and regsvr.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Morcel_TLVX.h"
#include "platform/registry/registry_store.h"
#include "platform/text/unicode_text.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using tlvx::platform::RegistryStore;
using tlvx::platform::RegistryValue;
using tlvx::platform::regroot::ClassesRoot;
using tlvx::test::EnvironmentGuard;
using tlvx::test::TempDir;

const fs::path kModule = TLVX_COMPONENT_MODULE;
const fs::path kRegsvr = TLVX_REGSVR;

constexpr char16_t kTxtFileClass[] = u"CLSID\\{1F0D9FD5-62AA-4589-8D90-1711EA19A6C7}";
constexpr char16_t kGenFunsClass[] = u"CLSID\\{5006766E-0FC6-40C4-85A4-E0D091B0FE56}";
constexpr char16_t kApiFunsClass[] = u"CLSID\\{2AB5A048-DD90-4B41-ABEC-64D3B4C7143F}";
constexpr char16_t kTxtFileInterface[] = u"Interface\\{1A4EB1BA-D44C-4F18-B037-AD4988915873}";
constexpr char16_t kTypeLibrary[] = u"TypeLib\\{F82CBF55-34D2-4FBA-9509-116B40B6D6D3}";

struct CommandResult {
    int status = -1;
    std::string output;  // standard output and error together
};

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string quoted(const fs::path& path) {
    std::string text = "'";
    for (char c : path.string()) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

std::string u8(std::u16string_view text) {
    return tlvx::platform::unicode::utf16ToUtf8(text);
}

std::u16string u16(const fs::path& path) {
    return tlvx::platform::unicode::utf8ToUtf16(path.string());
}

// The module file an object's code comes from.
fs::path moduleOf(IUnknown* object) {
    Dl_info info{};
    if (!dladdr(*reinterpret_cast<void**>(object), &info) || !info.dli_fname) return {};
    return info.dli_fname;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

// Calls one of a module file's entry points.
HRESULT callEntry(const fs::path& module, const char* name) {
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        ADD_FAILURE() << dlerror();
        return E_FAIL;
    }
    const auto entry = reinterpret_cast<HRESULT (*)()>(dlsym(handle, name));
    const HRESULT hr = entry ? entry() : E_FAIL;
    dlclose(handle);
    return hr;
}

// ---------------------------------------------------------------------------

TEST(ComponentModuleFile, ExportsExactlyTheFourEntryPoints) {
    const CommandResult nm = run("nm -D --defined-only " + quoted(kModule));
    ASSERT_EQ(nm.status, 0) << nm.output;
    std::set<std::string> names;
    std::istringstream lines(nm.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t last = line.find_last_of(' ');
        if (!line.empty()) names.insert(line.substr(last + 1));
    }
    EXPECT_EQ(names, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                            "DllRegisterServer", "DllUnregisterServer"}));
}

TEST(ComponentModuleFile, HasNoDynamicInitialisationOfItsOwn) {
    // The compiler gives every translation unit with a static object that
    // needs code to initialise a _GLOBAL__sub_I_ function.
    const CommandResult nm = run("nm " + quoted(kModule));
    if (nm.output.find("no symbols") != std::string::npos) GTEST_SKIP() << "stripped module";
    ASSERT_EQ(nm.status, 0) << nm.output;
    EXPECT_EQ(nm.output.find("_GLOBAL__sub_I"), std::string::npos) << nm.output;
}

class Registration : public ::testing::Test {
protected:
    Registration()
        : registry_("TLVX_REGISTRY", (dir_ / "registry.sqlite").string()),
          componentDir_("TLVX_COMPONENT_DIR", (dir_ / "no-component").string()) {
        fs::create_directories(dir_ / "no-component");
    }

    std::optional<std::u16string> text(const std::u16string& key,
                                       std::u16string_view name = u"") const {
        const auto value = store_.getValue(ClassesRoot, key, name);
        return value ? value->toString() : std::nullopt;
    }
    void set(const std::u16string& key, std::u16string_view name, std::u16string_view data) {
        ASSERT_TRUE(store_.setValue(ClassesRoot, key, name, RegistryValue::fromString(data)));
    }
    bool exists(const std::u16string& key) const { return store_.keyExists(ClassesRoot, key); }

    // Every key below HKEY_CLASSES_ROOT with its value names, one line each,
    // but for the character-set database every store holds of its own.
    std::vector<std::u16string> everything() const {
        auto lines = everythingBelow(u"");
        std::erase_if(lines, [](const std::u16string& line) { return line.starts_with(u"MIME"); });
        return lines;
    }
    std::vector<std::u16string> everythingBelow(const std::u16string& key) const {
        std::vector<std::u16string> lines;
        std::u16string line = key;
        for (const auto& name :
             store_.valueNames(ClassesRoot, key).value_or(std::vector<std::u16string>{})) {
            line += u" [" + name + u"]";
        }
        if (!key.empty()) lines.push_back(line);
        for (const auto& sub :
             store_.subkeyNames(ClassesRoot, key).value_or(std::vector<std::u16string>{})) {
            const auto below = everythingBelow(key.empty() ? sub : key + u"\\" + sub);
            lines.insert(lines.end(), below.begin(), below.end());
        }
        return lines;
    }

    HRESULT create(const CLSID& clsid, IUnknown*& object) {
        object = nullptr;
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&object));
    }

    TempDir dir_;
    EnvironmentGuard registry_;
    EnvironmentGuard componentDir_;
    RegistryStore store_{dir_ / "registry.sqlite"};
};

TEST_F(Registration, WritesClassesInterfacesTypeLibraryAndProgIds) {
    const auto database = everythingBelow(u"MIME");
    ASSERT_FALSE(database.empty());
    ASSERT_EQ(callEntry(kModule, "DllRegisterServer"), S_OK);
    EXPECT_EQ(everythingBelow(u"MIME"), database);  // not registration's
    const std::u16string txtFile = kTxtFileClass;
    EXPECT_EQ(text(txtFile), u"Morcel_TLVX.TxtFile");
    const auto server = text(txtFile + u"\\InprocServer32");
    ASSERT_TRUE(server);
    EXPECT_TRUE(fs::path(*server).is_absolute());
    EXPECT_TRUE(sameFile(fs::path(*server), kModule));
    EXPECT_EQ(text(txtFile + u"\\InprocServer32", u"ThreadingModel"), u"Apartment");
    EXPECT_EQ(text(txtFile + u"\\ProgID"), u"Morcel_TLVX.TxtFile");
    EXPECT_EQ(text(txtFile + u"\\TypeLib"), u"{F82CBF55-34D2-4FBA-9509-116B40B6D6D3}");
    const std::u16string face = kTxtFileInterface;
    EXPECT_EQ(text(face), u"_TxtFile");
    EXPECT_EQ(text(face + u"\\ProxyStubClsid32"), u"{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(text(face + u"\\TypeLib"), u"{F82CBF55-34D2-4FBA-9509-116B40B6D6D3}");
    const std::u16string library = kTypeLibrary;
    EXPECT_EQ(text(library + u"\\1.0"), u"Zentor Foundation Classes for Tallyvex.");
    EXPECT_EQ(text(library + u"\\1.0\\0\\win64"), server);
    EXPECT_EQ(text(u"Morcel_TLVX.TxtFile\\CLSID"), u"{1F0D9FD5-62AA-4589-8D90-1711EA19A6C7}");

    const std::pair<const char16_t*, const CLSID*> progIds[] = {
        {u"Morcel_TLVX.GenFuns", &CLSID_GenFuns},
        {u"Morcel_TLVX.APIFuns", &CLSID_APIFuns},
        {u"Morcel_TLVX.TxtFile", &CLSID_TxtFile},
        {u"Morcel_TLVX.Base64", &CLSID_Base64},
        {u"Morcel_TLVX.Registry", &CLSID_Registry}};
    for (const auto& [progId, clsid] : progIds) {
        CLSID found = CLSID_NULL;
        EXPECT_EQ(CLSIDFromProgID(progId, &found), S_OK);
        EXPECT_EQ(found, *clsid);
    }

    // Registering again changes nothing; unregistering leaves only the
    // shared folders, and may be repeated.
    const auto registered = everything();
    ASSERT_EQ(callEntry(kModule, "DllRegisterServer"), S_OK);
    EXPECT_EQ(everything(), registered);
    ASSERT_EQ(callEntry(kModule, "DllUnregisterServer"), S_OK);
    EXPECT_EQ(everything(), (std::vector<std::u16string>{u"TypeLib", u"CLSID", u"Interface"}));
    EXPECT_EQ(everythingBelow(u"MIME"), database);
    EXPECT_EQ(callEntry(kModule, "DllUnregisterServer"), S_OK);
    CLSID found = CLSID_NULL;
    EXPECT_EQ(CLSIDFromProgID(u"Morcel_TLVX.TxtFile", &found), CO_E_CLASSSTRING);
}

TEST_F(Registration, UnregisteringLeavesWhatOthersWrote) {
    ASSERT_EQ(callEntry(kModule, "DllRegisterServer"), S_OK);
    const std::u16string txtFile = kTxtFileClass;
    const std::u16string genFuns = kGenFunsClass;
    const std::u16string apiFuns = kApiFunsClass;
    const std::u16string library = kTypeLibrary;
    const std::u16string categories =
        genFuns + u"\\Implemented Categories\\{40FC6ED5-2438-11CF-A3DB-080036F12502}";
    // A value beside ours, a key below ours, another version of the type
    // library, a newer registration of another copy, a ProgID's version
    // pointer and an unrelated class.
    set(txtFile + u"\\InprocServer32", u"Extra", u"theirs");
    ASSERT_TRUE(store_.createKey(ClassesRoot, categories));
    set(library + u"\\2.0", u"", u"Newer");
    set(apiFuns + u"\\InprocServer32", u"", u"/opt/other/Morcel_TLVX.so");
    set(u"Morcel_TLVX.Base64\\CurVer", u"", u"Morcel_TLVX.Base64.2");
    set(u"CLSID\\{3F2A9C10-7B1D-4C2E-9A01-5D6E7F8091A2}", u"", u"Other.Class");

    ASSERT_EQ(callEntry(kModule, "DllUnregisterServer"), S_OK);
    EXPECT_EQ(everything(), (std::vector<std::u16string>{
                                u"TypeLib",
                                library,
                                library + u"\\2.0 []",
                                u"CLSID",
                                genFuns,
                                genFuns + u"\\Implemented Categories",
                                categories,
                                apiFuns,
                                apiFuns + u"\\InprocServer32 []",
                                txtFile,
                                txtFile + u"\\InprocServer32 [Extra]",
                                u"CLSID\\{3F2A9C10-7B1D-4C2E-9A01-5D6E7F8091A2} []",
                                u"Interface",
                                u"Morcel_TLVX.Base64",
                                u"Morcel_TLVX.Base64\\CurVer []",
                            }));
    EXPECT_EQ(text(apiFuns + u"\\InprocServer32"), u"/opt/other/Morcel_TLVX.so");
}

TEST_F(Registration, TheStoreHoldsTheCharacterSetDatabaseAndTheTemporaryFolderOfItsOwn) {
    // Never registered: the store has them from the moment it is made, and
    // the classes come from the component folder.
    EnvironmentGuard componentDir("TLVX_COMPONENT_DIR", kModule.parent_path().string());
    set(u"MIME\\Database\\Codepage\\99999", u"BodyCharset", u"theirs");
    const auto pages = store_.subkeyNames(ClassesRoot, u"MIME\\Database\\Codepage");
    ASSERT_TRUE(pages);
    EXPECT_GT(pages->size(), 20u);
    for (const char16_t* page : {u"1252", u"65001", u"28591"}) {
        EXPECT_NE(std::find(pages->begin(), pages->end(), page), pages->end()) << u8(page);
    }
    EXPECT_EQ(text(u"MIME\\Database\\Codepage\\1252", u"BodyCharset"), u"windows-1252");
    EXPECT_EQ(text(u"MIME\\Database\\Codepage\\65001", u"Description"),
              u"@%SystemRoot%\\system32\\mlang.dll,-65001");
    // In ascending order of the numbers, then the one added later.
    std::vector<long> numbers;
    for (const auto& page : *pages) numbers.push_back(std::stol(u8(page)));
    EXPECT_EQ(numbers.back(), 99999);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));

    constexpr char16_t kEnvironment[] =
        u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const auto temp = store_.getValue(tlvx::platform::regroot::LocalMachine, kEnvironment, u"TMP");
    ASSERT_TRUE(temp);
    EXPECT_EQ(temp->type, tlvx::platform::regtype::ExpandSz);
    EXPECT_EQ(temp->toString(), u"/tmp");

    // The descriptions come from the string module the store put in the
    // Windows folder beside it.
    const fs::path strings = dir_ / "windows" / "system32" / "mlang.dll";
    EXPECT_TRUE(fs::is_regular_file(strings));
    const auto charsetList = [&] {
        IUnknown* object = nullptr;
        EXPECT_EQ(create(CLSID_GenFuns, object), S_OK);
        if (!object) return std::u16string();
        _GenFuns* gen = nullptr;
        EXPECT_EQ(object->QueryInterface(IID__GenFuns, reinterpret_cast<void**>(&gen)), S_OK);
        object->Release();
        BSTR list = nullptr;
        EXPECT_EQ(gen->GetCharsetList(&list), S_OK);
        std::u16string charsets(list, SysStringLen(list));
        SysFreeString(list);
        gen->Release();
        return charsets;
    };
    const std::u16string charsets = charsetList();
    EXPECT_TRUE(charsets.starts_with(u"IBM037 | IBM EBCDIC (US-Canada) || ")) << u8(charsets);
    EXPECT_NE(charsets.find(u" || windows-1252 | Western European (Windows) || "),
              std::u16string::npos);
    EXPECT_TRUE(charsets.ends_with(u" || utf-8 | Unicode (UTF-8) || theirs | ")) << u8(charsets);

    // Registration neither writes nor removes them.
    ASSERT_EQ(callEntry(kModule, "DllRegisterServer"), S_OK);
    ASSERT_EQ(callEntry(kModule, "DllUnregisterServer"), S_OK);
    EXPECT_EQ(charsetList(), charsets);
    EXPECT_TRUE(fs::is_regular_file(strings));
    EXPECT_EQ(store_.getValue(tlvx::platform::regroot::LocalMachine, kEnvironment, u"TMP"), temp);
}

TEST_F(Registration, AStoreThatCannotBeUsedIsReported) {
    const fs::path broken = dir_.write("broken.sqlite", "not a database");
    EnvironmentGuard brokenStore("TLVX_REGISTRY", broken.string());
    EXPECT_EQ(callEntry(kModule, "DllRegisterServer"), static_cast<HRESULT>(0x80040200u));
    EXPECT_EQ(callEntry(kModule, "DllUnregisterServer"), static_cast<HRESULT>(0x80040201u));
    EXPECT_EQ(TempDir::read(broken), "not a database");
}

TEST_F(Registration, ARegisteredModuleServesItsClasses) {
    // A copy elsewhere, registered from where it lies.
    const fs::path copy = dir_ / "installed" / "Morcel_TLVX.so";
    fs::create_directories(copy.parent_path());
    fs::copy_file(kModule, copy);
    ASSERT_EQ(callEntry(copy, "DllRegisterServer"), S_OK);
    EXPECT_TRUE(sameFile(
        fs::path(text(std::u16string(kTxtFileClass) + u"\\InprocServer32").value_or(u"")), copy));

    IUnknown* object = nullptr;
    ASSERT_EQ(create(CLSID_TxtFile, object), S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), copy));
    object->Release();
    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(CLSIDFromProgID(u"Morcel_TLVX.Registry", &clsid), S_OK);
    ASSERT_EQ(create(clsid, object), S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), copy));
    object->Release();

    ASSERT_EQ(callEntry(copy, "DllUnregisterServer"), S_OK);
    EXPECT_EQ(create(CLSID_TxtFile, object), REGDB_E_CLASSNOTREG);
}

TEST_F(Registration, UnregisteredClassesComeFromTheComponentFolder) {
    IUnknown* object = nullptr;
    EXPECT_EQ(create(CLSID_Base64, object), REGDB_E_CLASSNOTREG);

    EnvironmentGuard componentDir("TLVX_COMPONENT_DIR", kModule.parent_path().string());
    ASSERT_EQ(create(CLSID_Base64, object), S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), kModule));
    object->Release();
    // A registration whose module is gone falls back as well.
    set(std::u16string(kTxtFileClass) + u"\\InprocServer32", u"", u16(dir_ / "gone.so"));
    ASSERT_EQ(create(CLSID_TxtFile, object), S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), kModule));
    object->Release();
    // ProgIDs exist only through registration.
    CLSID clsid = CLSID_NULL;
    EXPECT_EQ(CLSIDFromProgID(u"Morcel_TLVX.Base64", &clsid), CO_E_CLASSSTRING);
}

TEST_F(Registration, RegsvrRegistersUnregistersAndSaysWhatHappened) {
    const std::string regsvr = quoted(kRegsvr);
    CommandResult result = run(regsvr + " " + quoted(kModule));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "Registered " + kModule.string() + ".\n");
    EXPECT_TRUE(text(std::u16string(kTxtFileClass) + u"\\InprocServer32"));
    // The platform's stream component, which the library relies on, beside it.
    EXPECT_EQ(text(u"ADODB.Stream\\CLSID"), u"{00000566-0000-0010-8000-00AA006D2EA4}");

    result = run(regsvr + " -u " + quoted(kModule));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "Unregistered " + kModule.string() + ".\n");
    EXPECT_FALSE(exists(kTxtFileClass));
    EXPECT_FALSE(exists(u"ADODB.Stream"));

    // A bare file name is the one in the current folder, registered by its
    // absolute path.
    result = run("cd " + quoted(kModule.parent_path()) + " && " + regsvr + " Morcel_TLVX.so");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "Registered " + kModule.string() + ".\n");
    EXPECT_EQ(run(regsvr + " -u " + quoted(kModule)).status, 0);
}

TEST_F(Registration, RegsvrNamesTheModuleAndTheReasonWhenItFails) {
    const std::string regsvr = quoted(kRegsvr);
    CommandResult result = run(regsvr);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.output.rfind("usage: regsvr [-u] MODULE", 0), 0u) << result.output;
    EXPECT_EQ(run(regsvr + " -x " + quoted(kModule)).status, 2);
    EXPECT_EQ(run(regsvr + " " + quoted(kModule) + " " + quoted(kModule)).status, 2);

    const fs::path missing = dir_ / "missing.so";
    result = run(regsvr + " " + quoted(missing));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "regsvr: cannot load " + missing.string() + ": no such file.\n");

    const fs::path garbage = dir_.write("garbage.so", "not a module");
    result = run(regsvr + " " + quoted(garbage));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output.rfind("regsvr: cannot load " + garbage.string() + ": ", 0), 0u)
        << result.output;

    const fs::path platform = kModule.parent_path() / "libtlvxplatform.so";
    result = run(regsvr + " -u " + quoted(platform));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "regsvr: " + platform.string() +
                                 " does not export DllUnregisterServer: it is not a "
                                 "self-registering module.\n");

    const fs::path broken = dir_.write("broken.sqlite", "not a database");
    EnvironmentGuard brokenStore("TLVX_REGISTRY", broken.string());
    result = run(regsvr + " " + quoted(kModule));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "regsvr: DllRegisterServer in " + kModule.string() +
                                 " failed: the type library entries could not be written to "
                                 "the registry (0x80040200).\n"
                                 "regsvr: the registry store says: file is not a database.\n");
}

}  // namespace
