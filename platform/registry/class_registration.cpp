#include "platform/registry/class_registration.h"

#include <algorithm>
#include <functional>
#include <new>

#include "platform/registry/registry_store.h"

namespace tlvx::platform {
namespace {

std::u16string join(const std::u16string& key, const std::u16string& subkey) {
    return subkey.empty() ? key : key + u'\\' + subkey;
}

// The owned key and every key registration creates below it, deepest
// first.
std::vector<std::u16string> keysBelow(const RegistrationKey& owned) {
    std::vector<std::u16string> keys{owned.key};
    for (const RegistrationValue& value : owned.values) {
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

bool holds(const RegistryStore& store, const RegistrationKey& owned,
           const RegistrationValue& value) {
    const auto stored = store.getValue(owned.root, join(owned.key, value.subkey), value.name);
    return stored && stored->type == value.type && stored->toString() == value.data;
}

bool isEmptyKey(const RegistryStore& store, uint32_t root, const std::u16string& key) {
    const auto subkeys = store.subkeyNames(root, key);
    const auto values = store.valueNames(root, key);
    return subkeys && values && subkeys->empty() && values->empty();
}

// Removes what is still ours, in one transaction.
void removeAll(RegistryStore& store, const Registration& registration) {
    std::vector<ValueRemoval> values;
    std::vector<KeyRef> keys;
    for (const RegistrationKey& owned : registration) {
        for (const RegistrationValue& value : owned.values) {
            values.push_back({owned.root, join(owned.key, value.subkey), value.name,
                              RegistryValue::fromString(value.data, value.type)});
        }
        for (std::u16string& key : keysBelow(owned)) keys.push_back({owned.root, std::move(key)});
    }
    // A removal that fails shows in what is left over (leftOver).
    (void)store.removeUnchanged(values, keys);
}

// The first owned key that still holds something removal should have taken
// away; null when none does.
const RegistrationKey* leftOver(const RegistryStore& store, const Registration& registration) {
    for (const RegistrationKey& owned : registration) {
        for (const RegistrationValue& value : owned.values) {
            if (holds(store, owned, value)) return &owned;
        }
        for (const std::u16string& key : keysBelow(owned)) {
            if (isEmptyKey(store, owned.root, key)) return &owned;
        }
    }
    return nullptr;
}

}  // namespace

HRESULT writeRegistration(const Registration& registration, std::string* reason) noexcept {
    try {
        if (registration.empty()) return S_OK;
        std::vector<ValueWrite> writes;
        for (const RegistrationKey& owned : registration) {
            for (const RegistrationValue& value : owned.values) {
                writes.push_back({owned.root, join(owned.key, value.subkey), value.name,
                                  RegistryValue::fromString(value.data, value.type)});
            }
        }
        // One transaction: a failure leaves nothing of it behind.
        const StoreResult written = RegistryStore().setValues(writes);
        if (written) return S_OK;
        if (reason) *reason = written.reason();
        return registration.front().failure;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT removeRegistration(const Registration& registration, HRESULT unreadable) noexcept {
    try {
        RegistryStore store;
        // The root always exists in a store that can be read.
        if (!store.keyExists(regroot::ClassesRoot, u"")) return unreadable;
        removeAll(store, registration);
        const RegistrationKey* left = leftOver(store, registration);
        return left ? left->failure : S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace tlvx::platform
