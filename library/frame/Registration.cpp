#include "library/frame/Registration.h"

#include <dlfcn.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "library/frame/ClassList.h"
#include "library/include/Morcel_TLVX.h"
#include "platform/automation/guid_text.h"
#include "platform/registry_store.h"
#include "platform/unicode_text.h"

namespace tlvx::library::frame {
namespace {

using platform::RegistryStore;
using platform::RegistryValue;
using platform::automation::formatGuid;
using platform::regroot::ClassesRoot;

constexpr std::u16string_view kLibraryDescription = u"Zentor Foundation Classes for Tallyvex.";
constexpr std::u16string_view kLibraryVersion = u"1.0";
constexpr std::u16string_view kProgIdPrefix = u"Morcel_TLVX.";
// The automation marshaler, proxy and stub of every dual interface.
constexpr std::u16string_view kAutomationMarshaler = u"{00020424-0000-0000-C000-000000000046}";

// One string value registration writes, in a key below an owned key.
struct Value {
    std::u16string subkey;  // relative to the owned key; empty for the key itself
    std::u16string name;    // empty for the default value
    std::u16string data;
};

// A key of HKEY_CLASSES_ROOT that belongs to the library, with everything
// registration writes beneath it.
struct OwnedKey {
    std::u16string key;
    HRESULT failure;  // what a failure to write it is reported as
    std::vector<Value> values;
};

std::u16string join(const std::u16string& key, const std::u16string& subkey) {
    return subkey.empty() ? key : key + u'\\' + subkey;
}

std::vector<OwnedKey> registrationOf(const std::filesystem::path& module) {
    const std::u16string path = platform::unicode::utf8ToUtf16(module.string());
    const std::u16string folder = platform::unicode::utf8ToUtf16(module.parent_path().string());
    const std::u16string libid = formatGuid(LIBID_Morcel_TLVX);
    const std::u16string version(kLibraryVersion);

    std::vector<OwnedKey> keys;
    keys.push_back({u"TypeLib\\" + libid,
                    SELFREG_E_TYPELIB,
                    {{version, u"", std::u16string(kLibraryDescription)},
                     {version + u"\\0\\win64", u"", path},
                     {version + u"\\FLAGS", u"", u"0"},
                     {version + u"\\HELPDIR", u"", folder}}});
    for (const ComponentClass& c : componentClasses()) {
        const std::u16string progId = std::u16string(kProgIdPrefix) + c.name;
        const std::u16string clsid = formatGuid(*c.clsid);
        keys.push_back({u"CLSID\\" + clsid,
                        SELFREG_E_CLASS,
                        {{u"", u"", progId},
                         {u"InprocServer32", u"", path},
                         {u"InprocServer32", u"ThreadingModel", u"Apartment"},
                         {u"ProgID", u"", progId},
                         {u"TypeLib", u"", libid},
                         {u"VERSION", u"", version}}});
        keys.push_back({u"Interface\\" + formatGuid(*c.iid),
                        SELFREG_E_CLASS,
                        {{u"", u"", c.interfaceName},
                         {u"ProxyStubClsid32", u"", std::u16string(kAutomationMarshaler)},
                         {u"TypeLib", u"", libid},
                         {u"TypeLib", u"Version", version}}});
        keys.push_back({progId, SELFREG_E_CLASS, {{u"", u"", progId}, {u"CLSID", u"", clsid}}});
    }
    return keys;
}

// The owned key and every key registration creates below it, deepest
// first.
std::vector<std::u16string> keysBelow(const OwnedKey& owned) {
    std::vector<std::u16string> keys{owned.key};
    for (const Value& value : owned.values) {
        for (size_t cut = value.subkey.find(u'\\'); cut != std::u16string::npos;
             cut = value.subkey.find(u'\\', cut + 1)) {
            keys.push_back(join(owned.key, value.subkey.substr(0, cut)));
        }
        keys.push_back(join(owned.key, value.subkey));
    }
    std::ranges::sort(keys);
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::ranges::stable_sort(keys, std::greater<>(),
                             [](const std::u16string& k) { return std::ranges::count(k, u'\\'); });
    return keys;
}

bool holds(const RegistryStore& store, const OwnedKey& owned, const Value& value) {
    const auto stored = store.getValue(ClassesRoot, join(owned.key, value.subkey), value.name);
    return stored && stored->type == platform::regtype::Sz && stored->toString() == value.data;
}

bool isEmptyKey(const RegistryStore& store, const std::u16string& key) {
    const auto subkeys = store.subkeyNames(ClassesRoot, key);
    const auto values = store.valueNames(ClassesRoot, key);
    return subkeys && values && subkeys->empty() && values->empty();
}

void removeRegistration(RegistryStore& store, const std::vector<OwnedKey>& registration) {
    for (const OwnedKey& owned : registration) {
        for (const Value& value : owned.values) {
            if (holds(store, owned, value)) {
                store.deleteValue(ClassesRoot, join(owned.key, value.subkey), value.name);
            }
        }
        for (const std::u16string& key : keysBelow(owned)) {
            if (isEmptyKey(store, key)) store.deleteKey(ClassesRoot, key);
        }
    }
}

// The first owned key that still holds something removal should have taken
// away; null when none does.
const OwnedKey* leftOver(const RegistryStore& store, const std::vector<OwnedKey>& registration) {
    for (const OwnedKey& owned : registration) {
        for (const Value& value : owned.values) {
            if (holds(store, owned, value)) return &owned;
        }
        for (const std::u16string& key : keysBelow(owned)) {
            if (isEmptyKey(store, key)) return &owned;
        }
    }
    return nullptr;
}

}  // namespace

std::filesystem::path modulePath() noexcept {
    try {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<const void*>(&modulePath), &info) || !info.dli_fname) {
            return {};
        }
        std::error_code ec;
        const auto path = std::filesystem::absolute(info.dli_fname, ec);
        return ec ? std::filesystem::path() : path.lexically_normal();
    } catch (...) {
        return {};
    }
}

HRESULT registerServer(const std::filesystem::path& module) noexcept {
    try {
        if (module.empty()) return SELFREG_E_CLASS;
        const auto registration = registrationOf(module);
        RegistryStore store;
        for (const OwnedKey& owned : registration) {
            for (const Value& value : owned.values) {
                if (!store.setValue(ClassesRoot, join(owned.key, value.subkey), value.name,
                                    RegistryValue::fromString(value.data))) {
                    removeRegistration(store, registration);
                    return owned.failure;
                }
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT unregisterServer(const std::filesystem::path& module) noexcept {
    try {
        if (module.empty()) return SELFREG_E_CLASS;
        const auto registration = registrationOf(module);
        RegistryStore store;
        // The root always exists in a store that can be read.
        if (!store.keyExists(ClassesRoot, u"")) return SELFREG_E_CLASS;
        removeRegistration(store, registration);
        const OwnedKey* left = leftOver(store, registration);
        return left ? left->failure : S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace tlvx::library::frame
