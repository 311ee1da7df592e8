// Every method of the classes that takes a file name, called with names that
// are no ordinary files: pseudo-files that never end (/proc/self/pagemap
// reads as the whole address space while it reports size 0), one that fails
// every read (/proc/self/mem), devices, the process's own input, a FIFO and a
// link that names nothing. Each call must end, with the method's neutral
// result. Each runs in a child process that an alarm ends, so that a
// regression fails here instead of hanging the test program.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "include/tallyvex/ole_types.h"
#include "library/api_funs/api_funs.h"
#include "library/base64/base64.h"
#include "library/gen_funs/gen_funs.h"
#include "library/registry/registry.h"
#include "library/txt_file/txt_file.h"
#include "library/txt_file/txt_file_charsets.h"
#include "platform/registry/registry_store.h"
#include "tests/support/environment_guard.h"
#include "tests/support/non_regular_files.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace tlvx;

constexpr unsigned kAlarmSeconds = 30;  // a bound for a hang, not a timing
constexpr uint32_t HKCU = platform::regroot::CurrentUser;

// A method called with a file name; true when it gave its neutral result.
struct MethodCase {
    const char* name;
    std::function<bool(const std::u16string& file)> neutral;
};

std::vector<MethodCase> readingMethods() {
    using library::APIFuns;
    using library::Base64;
    using library::GenFuns;
    using library::Registry;
    using library::TxtFile;
    using library::TxtFileCharsets;
    return {
        {"TxtFile.ReadLastLine", [](auto& f) { return TxtFile().ReadLastLine(f).empty(); }},
        {"TxtFile.GetLineQty", [](auto& f) { return TxtFile().GetLineQty(f) == 0; }},
        {"TxtFile.FindLine", [](auto& f) { return !TxtFile().FindLine(f, u""); }},
        {"TxtFile.GetLineNoByFind", [](auto& f) { return TxtFile().GetLineNoByFind(f, u"") == 0; }},
        {"TxtFile.GetLineStrByFind",
         [](auto& f) { return TxtFile().GetLineStrByFind(f, u"").empty(); }},
        {"TxtFile.ReadByCharset",
         [](auto& f) { return TxtFileCharsets().ReadByCharset(f, u"UTF-8").empty(); }},
        {"TxtFile.AutoRead (ANSI)", [](auto& f) { return TxtFileCharsets().ReadAnsi(f).empty(); }},
        {"TxtFile.GetEncoding",
         [](auto& f) { return TxtFileCharsets().GetEncoding(f) == u"ANSI"; }},
        {"Base64.EncodeFile", [](auto& f) { return Base64().EncodeFile(f).empty(); }},
        {"APIFuns.ReadIni", [](auto& f) { return APIFuns().ReadIni(f, u"s", u"k").empty(); }},
        {"APIFuns.LoadDLL",
         [](auto& f) {
             APIFuns api;
             const int32_t module = api.LoadDLL(f);
             const bool nothing = api.GetDLLString(module, 1).empty();
             api.UnloadDLL(module);
             return nothing;
         }},
        // A link is a shortcut to its target: /dev/stdin names one that exists.
        {"GenFuns.CheckShortcut",
         [](auto& f) {
             std::error_code ec;
             const bool liveLink = fs::is_symlink(fs::symlink_status(f, ec)) && fs::exists(f, ec);
             return GenFuns().CheckShortcut(f) == liveLink;
         }},
        {"Registry.ImportRegKey",
         [](auto& f) {
             Registry registry;
             return !registry.ImportRegKey(HKCU, u"Kept", f) &&
                    registry.ReadRegKey(HKCU, u"Kept", u"v", u"gone") == u"stays";
         }},
    };
}

class FileNameMethodsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::RegistryStore().setValue(
            HKCU, u"Kept", u"v", platform::RegistryValue::fromString(u"stays")));
    }

    // Each method on `file`: "passed", or how it went wrong.
    void expectNeutral(const fs::path& file, const std::string& what) {
        const std::u16string name = file.u16string();
        for (const MethodCase& method : readingMethods()) {
            EXPECT_EQ(test::runGuarded([&] { return method.neutral(name); }, kAlarmSeconds),
                      "passed")
                << method.name << " on " << what;
        }
    }

    test::TempDir dir_;
    test::EnvironmentGuard store_{"TLVX_REGISTRY", (dir_ / "registry.sqlite").string()};
};

TEST_F(FileNameMethodsTest, PseudoFilesDevicesAndTheProcessInputGiveTheNeutralResult) {
    struct Named {
        const char* path;
        const char* what;
    };
    const Named names[] = {
        {"/proc/self/pagemap", "a pseudo-file of size 0 that reads as the address space"},
        {"/proc/self/mem", "a pseudo-file whose reads fail"},
        {"/dev/zero", "a device that never ends"},
        {"/dev/stdin", "the process's own input"},
    };
    for (const Named& named : names) {
        if (!fs::exists(named.path)) continue;
        // Input redirected from an ordinary file is read as that file.
        if (named.path == std::string_view("/dev/stdin") && fs::is_regular_file(named.path))
            continue;
        expectNeutral(named.path, named.what);
    }
}

TEST_F(FileNameMethodsTest, AFifoAndADanglingLinkGiveTheNeutralResult) {
    for (const auto kind : {test::NonRegularKind::Fifo, test::NonRegularKind::DanglingLink}) {
        const fs::path file = dir_ / ("odd-" + test::kindName(kind));
        test::makeNonRegular(kind, file);
        expectNeutral(file, test::kindName(kind));
        EXPECT_TRUE(test::isStillNonRegular(kind, file));
    }
}

TEST_F(FileNameMethodsTest, ExportingToAFifoOrADeviceWritesNothing) {
    for (const auto kind : {test::NonRegularKind::Fifo, test::NonRegularKind::Device,
                            test::NonRegularKind::DanglingLink}) {
        const fs::path file = dir_ / ("hive-" + test::kindName(kind));
        test::makeNonRegular(kind, file);
        EXPECT_EQ(
            test::runGuarded(
                [&] { return !library::Registry().ExportRegKey(HKCU, u"Kept", file.u16string()); },
                kAlarmSeconds),
            "passed")
            << test::kindName(kind);
        EXPECT_TRUE(test::isStillNonRegular(kind, file)) << test::kindName(kind);
    }
}

TEST_F(FileNameMethodsTest, AFiveMegabyteLineIsReadWhole) {
    // One line without a line end: the readers hold it (it is far below the
    // bound) and give what the line holds.
    std::string line(5u << 20, 'a');
    line.replace(line.size() / 2, 6, "needle");
    const fs::path file = dir_.write("long.txt", line);
    const std::u16string name = file.u16string();
    using library::TxtFile;
    const std::vector<MethodCase> cases = {
        {"GetLineQty", [](auto& f) { return TxtFile().GetLineQty(f) == 1; }},
        {"ReadLastLine", [](auto& f) { return TxtFile().ReadLastLine(f).size() == 5u << 20; }},
        {"FindLine", [](auto& f) { return !TxtFile().FindLine(f, u"needle"); }},
        {"GetLineNoByFind", [](auto& f) { return TxtFile().GetLineNoByFind(f, u"needle") == 1; }},
        {"GetLineStrByFind",
         [](auto& f) { return TxtFile().GetLineStrByFind(f, u"needle").size() == 5u << 20; }},
        {"GetEncoding",
         [](auto& f) { return library::TxtFileCharsets().GetEncoding(f) == u"ANSI"; }},
        {"EncodeFile", [](auto& f) { return !library::Base64().EncodeFile(f).empty(); }},
        {"ImportRegKey",
         [](auto& f) { return !library::Registry().ImportRegKey(HKCU, u"Kept", f); }},
    };
    for (const MethodCase& method : cases) {
        EXPECT_EQ(test::runGuarded([&] { return method.neutral(name); }, kAlarmSeconds), "passed")
            << method.name;
    }
}

}  // namespace
