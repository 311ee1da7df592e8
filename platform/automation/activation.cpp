// Class activation. A class is looked up in the registry store
// (HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, default value = module
// path) and its module asked through DllGetClassObject. When the class is
// not registered, or its module cannot be loaded, the component module
// lying beside the running executable is asked instead (registration-free
// activation), so that a freshly built program works without a
// registration step; then the one beside this platform library, which is
// where an installed client (linked to the installed runtime) finds it.
// The classes the platform serves itself (the stream component) are found
// the same way, without any module. TLVX_COMPONENT_DIR overrides both: a
// folder holding Morcel_TLVX.so, or the module file itself.
//
// Modules stay loaded for the life of the process (one handle per path):
// objects they made may outlive any count we could keep.
//
// There are no apartments here: CoInitialize only counts, per thread, and
// activation works whether or not the thread called it.

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/automation/guid_text.h"
#include "platform/automation/platform_classes.h"
#include "platform/process/proc_files.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/system_environment.h"
#include "platform/text/unicode_text.h"

using namespace tlvx::platform;
using namespace tlvx::platform::automation;

namespace {

constexpr const char* kComponentModule = "Morcel_TLVX.so";

// The module registered for the class, if any.
std::optional<std::string> registeredModule(REFCLSID clsid) {
    // A store nobody wrote to holds no class.
    const RegistryStore store;
    if (!store.hasBeenWritten()) return std::nullopt;
    const std::u16string key = u"CLSID\\" + formatGuid(clsid) + u"\\InprocServer32";
    const auto value = store.getValue(regroot::ClassesRoot, key, u"");
    if (!value) return std::nullopt;
    const auto text = value->toString();
    if (!text || text->empty()) return std::nullopt;
    return unicode::utf16ToUtf8(value->type == regtype::ExpandSz ? sysenv::expandStrings(*text)
                                                                 : *text);
}

// The modules asked for classes nobody registered, in turn.
std::vector<std::string> unregisteredModules() {
    std::error_code ec;
    const char* overridden = std::getenv("TLVX_COMPONENT_DIR");
    if (overridden && *overridden) {
        const std::filesystem::path place(overridden);
        return {std::filesystem::is_directory(place, ec) ? (place / kComponentModule).string()
                                                         : place.string()};
    }
    std::vector<std::string> modules;
    if (const auto executable = proc::ownExecutable()) {
        modules.push_back((executable->parent_path() / kComponentModule).string());
    }
    Dl_info self{};
    if (dladdr(reinterpret_cast<const void*>(&unregisteredModules), &self) && self.dli_fname) {
        std::filesystem::path runtime(self.dli_fname);
        if (runtime.is_relative()) runtime = std::filesystem::absolute(runtime, ec);
        const auto beside = (runtime.parent_path() / kComponentModule).string();
        if (modules.empty() || modules.front() != beside) modules.push_back(beside);
    }
    return modules;
}

// Loaded modules, by path.
class ModuleTable {
public:
    // The module's DllGetClassObject; null when the module cannot be
    // loaded or does not export it.
    LPFNGETCLASSOBJECT entryPoint(const std::string& path) {
        if (path.empty()) return nullptr;
        std::lock_guard lock(mutex_);
        auto found = modules_.find(path);
        if (found == modules_.end()) {
            void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) return nullptr;  // not kept: it may appear later
            found = modules_.emplace(path, handle).first;
        }
        return reinterpret_cast<LPFNGETCLASSOBJECT>(dlsym(found->second, "DllGetClassObject"));
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, void*> modules_;
};

ModuleTable& modules() {
    static ModuleTable* table = new ModuleTable;  // outlives every static object
    return *table;
}

HRESULT askModule(LPFNGETCLASSOBJECT entry, REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    try {
        return entry(rclsid, riid, ppv);
    } catch (...) {
        *ppv = nullptr;
        return CO_E_ERRORINDLL;  // a module must not throw; do not pass it on
    }
}

struct ThreadInitialisation {
    ULONG count = 0;
    DWORD model = 0;
};
thread_local ThreadInitialisation threadInitialisation;

}  // namespace

HRESULT CoInitializeEx(LPVOID /*pvReserved*/, DWORD dwCoInit) noexcept {
    ThreadInitialisation& state = threadInitialisation;
    const DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
    if (state.count == 0) {
        state.model = model;
        state.count = 1;
        return S_OK;
    }
    if (state.model != model) return RPC_E_CHANGED_MODE;
    ++state.count;
    return S_FALSE;
}

HRESULT CoInitialize(LPVOID pvReserved) noexcept {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize() noexcept {
    if (threadInitialisation.count > 0) --threadInitialisation.count;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID /*pvReserved*/, REFIID riid,
                         LPVOID* ppv) noexcept {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    try {
        if (const auto path = registeredModule(rclsid)) {
            if (const auto entry = modules().entryPoint(*path)) {
                return askModule(entry, rclsid, riid, ppv);
            }
        }
        if (const HRESULT hr = platformClassObject(rclsid, riid, ppv); hr != REGDB_E_CLASSNOTREG) {
            return hr;
        }
        for (const std::string& module : unregisteredModules()) {
            if (const auto entry = modules().entryPoint(module)) {
                const HRESULT hr = askModule(entry, rclsid, riid, ppv);
                return hr == CLASS_E_CLASSNOTAVAILABLE ? REGDB_E_CLASSNOTREG : hr;
            }
        }
        return REGDB_E_CLASSNOTREG;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                         LPVOID* ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    if (!factory) return E_UNEXPECTED;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    return hr;
}

// Looks in the registry store (HKEY_CLASSES_ROOT\<ProgID>\CLSID), then among
// the platform's own classes; a module's class that is reachable only
// without registration has no ProgID here.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) noexcept {
    if (!lpszProgID || !lpclsid) return E_INVALIDARG;
    *lpclsid = CLSID_NULL;
    try {
        const std::u16string_view progId(lpszProgID);
        if (progId.empty() || progId.find(u'\\') != std::u16string_view::npos) {
            return CO_E_CLASSSTRING;
        }
        const RegistryStore store;
        const auto value =
            store.hasBeenWritten()
                ? store.getValue(regroot::ClassesRoot, std::u16string(progId) + u"\\CLSID", u"")
                : std::nullopt;
        const auto text = value ? value->toString() : std::nullopt;
        const auto clsid = text ? parseGuid(*text) : std::nullopt;
        if (!clsid) return platformClassId(progId, *lpclsid) ? S_OK : CO_E_CLASSSTRING;
        *lpclsid = *clsid;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
