// The four entry points of the component module, its only exports.

#include <mutex>

#include "library/frame/class_list.h"
#include "library/frame/module_life.h"
#include "library/frame/module_path.h"
#include "library/frame/registration.h"
#include "platform/registry/restart_deletions.h"

#define TLVX_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

using namespace tlvx::library::frame;

namespace {

// Files given to DelUntilReboot are deleted the first time the module serves
// a class after the system has restarted. While nothing waits, that costs one
// look-up of the registry store per process.
constinit std::once_flag pendingDeletionsDone;

void carryOutPendingDeletions() noexcept {
    std::call_once(pendingDeletionsDone, [] { tlvx::platform::restart::carryOutDueOperations(); });
}

}  // namespace

TLVX_MODULE_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    carryOutPendingDeletions();
    const ComponentClass* found = findClass(rclsid);
    if (!found) return CLASS_E_CLASSNOTAVAILABLE;
    return found->factory->QueryInterface(riid, ppv);
}

TLVX_MODULE_EXPORT HRESULT DllCanUnloadNow() noexcept {
    return canUnload() ? S_OK : S_FALSE;
}

TLVX_MODULE_EXPORT HRESULT DllRegisterServer() noexcept {
    return registerServer(tlvx::library::modulePath());
}

TLVX_MODULE_EXPORT HRESULT DllUnregisterServer() noexcept {
    return unregisterServer(tlvx::library::modulePath());
}
