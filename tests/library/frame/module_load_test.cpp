// What the component module does the first time it serves a class in a
// process: deletions asked for with DelUntilReboot in an earlier run of the
// system are carried out then. Each case loads the module in a child
// process of its own, so that the module's first service is the case's.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "Morcel_TLVX.h"
#include "platform/process/boot_id.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/restart_deletions.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace restart = tlvx::platform::restart;
using tlvx::platform::RegistryStore;
using tlvx::test::TempDir;

constexpr uint32_t HKLM = tlvx::platform::regroot::LocalMachine;

// Creates an object of the module in a new child process; true when that
// worked.
bool firstObjectInAChild() {
    const pid_t child = fork();
    if (child == 0) {
        void* object = nullptr;
        const HRESULT hr =
            CoCreateInstance(CLSID_APIFuns, nullptr, CLSCTX_INPROC_SERVER, IID__APIFuns, &object);
        if (SUCCEEDED(hr)) static_cast<IUnknown*>(object)->Release();
        _exit(SUCCEEDED(hr) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Puts `file` in the store as a deletion asked for in the run `bootId`.
void pendAs(RegistryStore& store, const fs::path& file, const std::string& bootId) {
    ASSERT_TRUE(restart::scheduleDeletion(store, file, bootId));
}

class ModuleLoadTest : public ::testing::Test {
protected:
    TempDir dir_;
    tlvx::test::EnvironmentGuard registry_{"TLVX_REGISTRY", (dir_ / "registry.sqlite").string()};
    RegistryStore store_;
};

}  // namespace

TEST_F(ModuleLoadTest, DeletionsOfAnEarlierRunAreCarriedOut) {
    const auto file = dir_.write("setup.tmp", "left over");
    pendAs(store_, file, "00000000-0000-0000-0000-000000000000");
    ASSERT_TRUE(firstObjectInAChild());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(restart::pendingOperations(store_).empty());
}

TEST_F(ModuleLoadTest, DeletionsOfThisRunWait) {
    const auto file = dir_.write("setup.tmp", "in use");
    pendAs(store_, file, tlvx::platform::currentBootId());
    ASSERT_TRUE(firstObjectInAChild());
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(restart::pendingOperations(store_).size(), 1u);
}

TEST_F(ModuleLoadTest, AListThatDelUntilRebootDidNotWriteIsDropped) {
    // The list as a hive restored before the Registry class refused it
    // left it: the victim's path and a mark of another run, no folder record.
    const auto victim = dir_.write("victim.txt", "mine");
    std::u16string units;
    for (const char c : victim.string()) units += static_cast<char16_t>(c);
    units += std::u16string(3, u'\0');
    ASSERT_TRUE(store_.setValue(
        HKLM, restart::kSessionManagerKey, restart::kOperationsValue,
        tlvx::platform::RegistryValue::fromAnsi(tlvx::platform::regtype::MultiSz,
                                                std::string(units.begin(), units.end()))));
    ASSERT_TRUE(store_.setValue(HKLM, restart::kSessionManagerKey, restart::kBootIdValue,
                                tlvx::platform::RegistryValue::fromString(u"00000000")));
    ASSERT_TRUE(firstObjectInAChild());
    EXPECT_EQ(TempDir::read(victim), "mine");
    EXPECT_TRUE(restart::pendingOperations(store_).empty());
}

TEST_F(ModuleLoadTest, NothingPendingWritesNoStore) {
    ASSERT_TRUE(firstObjectInAChild());
    EXPECT_FALSE(fs::exists(dir_ / "registry.sqlite"));
}
