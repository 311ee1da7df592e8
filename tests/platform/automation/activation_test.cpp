#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "include/tallyvex/ole_types.h"
#include "platform/registry/registry_store.h"
#include "tests/support/automation_values.h"
#include "tests/support/counting_object.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace tlvx::test;

using tlvx::test::EnvironmentGuard;

constexpr CLSID kFirstClass = {
    0x3F2A9C10, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};
constexpr CLSID kSecondClass = {
    0x3F2A9C11, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};
constexpr CLSID kUnservedClass = {
    0x3F2A9C12, 0x7B1D, 0x4C2E, {0x9A, 0x01, 0x5D, 0x6E, 0x7F, 0x80, 0x91, 0xA2}};

class Activation : public ::testing::Test {
protected:
    Activation()
        : registry_("TLVX_REGISTRY", (dir_ / "registry.sqlite").string()),
          componentDir_("TLVX_COMPONENT_DIR", (dir_ / "no-component").string()) {
        std::filesystem::create_directories(dir_ / "no-component");
    }

    void registerClass(const CLSID& clsid, const std::string& module) {
        OLECHAR buffer[39];
        StringFromGUID2(clsid, buffer, 39);
        const std::u16string key = u"CLSID\\" + std::u16string(buffer) + u"\\InprocServer32";
        ASSERT_TRUE(tlvx::platform::RegistryStore().setValue(
            tlvx::platform::regroot::ClassesRoot, key, u"",
            tlvx::platform::RegistryValue::fromString(
                std::u16string(module.begin(), module.end()))));
    }

    // The module file the object's code lives in.
    static std::filesystem::path moduleOf(IUnknown* object) {
        Dl_info info{};
        if (!dladdr(*reinterpret_cast<void**>(object), &info) || !info.dli_fname) return {};
        return info.dli_fname;
    }

    static bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
        std::error_code ec;
        return std::filesystem::equivalent(a, b, ec);
    }

    TempDir dir_;
    EnvironmentGuard registry_;
    EnvironmentGuard componentDir_;
};

TEST_F(Activation, RegisteredClassLoadsItsModule) {
    registerClass(kFirstClass, TLVX_TEST_COMPONENT);
    IDispatch* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(sameFile(moduleOf(object), TLVX_TEST_COMPONENT));
    UINT count = 9;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    object->Release();
}

TEST_F(Activation, UnregisteredClassComesFromTheModuleBesideTheProgram) {
    // The module under its product name in the folder TLVX_COMPONENT_DIR names.
    const auto beside = dir_ / "beside";
    std::filesystem::create_directories(beside);
    std::filesystem::copy_file(TLVX_TEST_COMPONENT, beside / "Morcel_TLVX.so");
    EnvironmentGuard componentDir("TLVX_COMPONENT_DIR", beside.string());

    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kSecondClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), beside / "Morcel_TLVX.so"));
    object->Release();

    // A registration whose module is gone falls back as well.
    registerClass(kFirstClass, (dir_ / "gone.so").string());
    ASSERT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_TRUE(sameFile(moduleOf(object), beside / "Morcel_TLVX.so"));
    object->Release();
}

TEST_F(Activation, ComponentDirMayNameTheModuleFile) {
    EnvironmentGuard componentFile("TLVX_COMPONENT_DIR", TLVX_TEST_COMPONENT);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(kSecondClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              S_OK);
    CountingObject outer;
    IUnknown* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&object)),
              CLASS_E_NOAGGREGATION);
    factory->Release();

    // The module is there but does not serve this class.
    void* nothing = reinterpret_cast<void*>(1);
    EXPECT_EQ(
        CoCreateInstance(kUnservedClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &nothing),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(nothing, nullptr);
}

TEST_F(Activation, NothingServesTheClass) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(kSecondClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    registerClass(kFirstClass, TLVX_TEST_COMPONENT);
    EXPECT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(kFirstClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_POINTER);
}

TEST_F(Activation, ProgIdsComeFromTheRegistry) {
    ASSERT_TRUE(tlvx::platform::RegistryStore().setValue(
        tlvx::platform::regroot::ClassesRoot, u"Morcel_TLVX.GenFuns\\CLSID", u"",
        tlvx::platform::RegistryValue::fromString(u"{3f2a9c10-7b1d-4c2e-9a01-5d6e7f8091a2}")));
    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(CLSIDFromProgID(u"morcel_tlvx.genfuns", &clsid), S_OK);
    EXPECT_EQ(clsid, kFirstClass);
    EXPECT_EQ(CLSIDFromProgID(u"Morcel_TLVX.Nothing", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID(u"Morcel_TLVX.GenFuns\\CLSID", &clsid), CO_E_CLASSSTRING);
}

TEST(CoInitialize, CountsPerThread) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    HRESULT inOtherThread = E_FAIL;
    std::thread([&] {
        inOtherThread = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
    }).join();
    EXPECT_EQ(inOtherThread, S_OK);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);  // counted down to zero
    CoUninitialize();
}

}  // namespace
