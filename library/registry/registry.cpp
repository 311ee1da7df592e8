#include "library/registry/registry.h"

#include <optional>
#include <string_view>
#include <vector>

#include "include/tallyvex/ole_types.h"
#include "library/frame/continue_on_error.h"
#include "platform/automation/bstr.h"
#include "platform/automation/number_text.h"
#include "platform/files/win_path.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/restart_deletions.h"
#include "platform/registry/system_environment.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::library {
namespace {

namespace ansi = platform::ansi;
using platform::RegistryStore;
using platform::RegistryValue;
namespace regtype = platform::regtype;

constexpr std::u16string_view kSubkeySeparator = u"*SK*";
constexpr std::u16string_view kItemSeparator = u"*IS*";
constexpr std::u16string_view kNameDataSeparator = u"*NDS*";

// The enumeration's name buffer holds 255 characters with the terminating
// zero: a longer name does not fit, and the listing ends before it.
constexpr std::size_t kNameBuffer = 255;
// The buffer an expanded REG_EXPAND_SZ text is read into, terminating zero
// included.
constexpr std::size_t kExpandBuffer = 1000;
// The largest count an Integer holds.
constexpr std::size_t kMaxItemCount = 32767;

// A key path or value name as the single-byte entry points see it, through
// the code page; nullopt for a name holding NUL, which no method takes (the
// entry points would see a shorter name than the caller wrote).
std::optional<std::u16string> nameOf(std::u16string_view text) {
    if (text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
    return ansi::throughCodePage(text);
}

// A listed name as the listing shows it: spaces trimmed at both ends, one
// trailing zero character dropped. nullopt for a name the buffer cannot
// hold, which ends the listing.
std::optional<std::u16string> listedName(std::u16string_view stored) {
    const std::string bytes = ansi::fromUtf16(stored);
    if (bytes.size() >= kNameBuffer) return std::nullopt;
    std::u16string name = ansi::toUtf16(bytes);
    const std::size_t first = name.find_first_not_of(u' ');
    name.erase(0, first == std::u16string::npos ? name.size() : first);
    name.erase(name.find_last_not_of(u' ') + 1);
    if (!name.empty() && name.back() == u'\0') name.pop_back();
    return name;
}

// The texts of the listed names, cut where a name does not fit.
template <class Names, class Text>
std::vector<std::u16string> listing(const Names& names, Text text) {
    std::vector<std::u16string> items;
    for (const auto& entry : names) {
        auto item = text(entry);
        if (!item) break;
        items.push_back(std::move(*item));
    }
    return items;
}

std::u16string joined(const std::vector<std::u16string>& items, std::u16string_view separator) {
    std::u16string result;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) result += separator;
        result += items[i];
    }
    return result;
}

// A value's data as text: a string type up to its first zero, REG_EXPAND_SZ
// with its %NAME% references expanded; any other type as a 32-bit signed
// number from up to four little-endian bytes, the empty string when longer.
std::u16string dataAsText(const RegistryValue& value) {
    std::string bytes = value.ansiData();
    if (value.type == regtype::Sz || value.type == regtype::ExpandSz) {
        bytes.resize(std::min(bytes.size(), bytes.find('\0')));
        if (value.type == regtype::Sz) return ansi::toUtf16(bytes);
        std::u16string expanded =
            ansi::throughCodePage(platform::sysenv::expandStrings(ansi::toUtf16(bytes)));
        if (expanded.size() >= kExpandBuffer) expanded.resize(kExpandBuffer - 1);
        return expanded;
    }
    if (bytes.size() > 4) return {};
    uint32_t number = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        number = (number << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return platform::automation::formatSigned(static_cast<int32_t>(number));
}

// The text converted to a number of the automation type `vt` (VT_UI1 or
// VT_I4) as Basic's conversions read it: rounded to the nearest integer,
// nullopt when it is no number or out of range.
std::optional<int64_t> numberOf(const std::u16string& text, VARTYPE vt) {
    VARIANT source;
    source.vt = VT_BSTR;
    source.bstrVal = platform::automation::allocBstr(text);
    if (!source.bstrVal) return std::nullopt;
    VARIANT number;
    VariantInit(&number);
    const HRESULT hr = VariantChangeType(&number, &source, 0, vt);
    VariantClear(&source);
    if (FAILED(hr)) return std::nullopt;
    return vt == VT_UI1 ? number.bVal : number.lVal;
}

// The value WriteRegKey stores for a type and text; nullopt when the text
// does not convert or the type is none of the four.
std::optional<RegistryValue> valueToWrite(uint32_t type, const std::u16string& text) {
    switch (type) {
        case regtype::Sz:
        case regtype::ExpandSz: {
            std::string data = ansi::fromUtf16(text);
            data += '\0';
            return RegistryValue::fromAnsi(type, data);
        }
        case regtype::Binary: {
            const auto byte = numberOf(text, VT_UI1);
            if (!byte) return std::nullopt;
            return RegistryValue{type, std::string(1, static_cast<char>(*byte))};
        }
        case regtype::Dword: {
            const auto number = numberOf(text, VT_I4);
            if (!number) return std::nullopt;
            return RegistryValue::fromDword(static_cast<uint32_t>(*number));
        }
        default:
            return std::nullopt;
    }
}

// Backing up and restoring keys needs no privilege here: the store is the
// user's own file, and the file system's permissions decide what the hive
// files may be read from and written to.
bool enablePrivilege(std::u16string_view /*name*/) {
    return true;
}

}  // namespace

bool Registry::ExportRegKey(uint32_t keyRoot, const std::u16string& keyPath,
                            const std::u16string& fileName) noexcept {
    return continueOnError(false, [&] {
        if (!enablePrivilege(u"SeBackupPrivilege")) return false;
        const auto path = nameOf(keyPath);
        if (!path) return false;
        const auto file = platform::winpath::resolveForWrite(fileName);
        return file && RegistryStore().saveKeyToFile(keyRoot, *path, *file);
    });
}

bool Registry::ImportRegKey(uint32_t keyRoot, const std::u16string& keyPath,
                            const std::u16string& fileName) noexcept {
    return continueOnError(false, [&] {
        if (!enablePrivilege(u"SeRestorePrivilege")) return false;
        const auto path = nameOf(keyPath);
        // Restoring the key of the list of deletions queued for the next
        // start, or a parent of it, would let a hive write that list, which
        // only DelUntilReboot may.
        if (!path || platform::restart::holdsPendingList(keyRoot, *path)) return false;
        const auto file = platform::winpath::resolve(fileName);
        return file && RegistryStore().restoreKeyFromFile(keyRoot, *path, *file);
    });
}

std::u16string Registry::ReadRegKey(uint32_t keyRoot, const std::u16string& keyPath,
                                    const std::u16string& subKey,
                                    const std::u16string& noKeyFoundValue) noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto path = nameOf(keyPath);
        const auto name = nameOf(subKey);
        if (!path || !name) return std::u16string();
        const auto found = RegistryStore().lookupValue(keyRoot, *path, *name);
        if (!found.keyFound) return noKeyFoundValue;
        return found.value ? dataAsText(*found.value) : std::u16string();
    });
}

bool Registry::WriteRegKey(uint32_t keyType, uint32_t keyRoot, const std::u16string& keyPath,
                           const std::u16string& subKey,
                           const std::u16string& subKeyValue) noexcept {
    return continueOnError(false, [&] {
        const auto path = nameOf(keyPath);
        const auto name = nameOf(subKey);
        if (!path || !name) return false;
        RegistryStore store;
        const bool knownType = keyType >= regtype::Sz && keyType <= regtype::Dword;
        if (!knownType) return static_cast<bool>(store.createKey(keyRoot, *path));
        if (platform::restart::isPendingListValue(keyRoot, *path, *name)) return false;
        // The key and its value are written together, or nothing is.
        const auto value = valueToWrite(keyType, subKeyValue);
        return value && store.setValue(keyRoot, *path, *name, *value);
    });
}

std::u16string Registry::EnumerateRegKeys(uint32_t keyRoot,
                                          const std::u16string& keyPath) noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto path = nameOf(keyPath);
        const auto names = path ? RegistryStore().subkeyNames(keyRoot, *path) : std::nullopt;
        if (!names) return std::u16string();
        return joined(listing(*names, listedName), kSubkeySeparator);
    });
}

std::u16string Registry::EnumerateRegKeyValues(uint32_t keyRoot,
                                               const std::u16string& keyPath) noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto path = nameOf(keyPath);
        const auto values = path ? RegistryStore().values(keyRoot, *path) : std::nullopt;
        if (!values) return std::u16string();
        const auto items =
            listing(*values, [](const platform::NamedValue& v) -> std::optional<std::u16string> {
                auto name = listedName(v.name);
                if (!name) return std::nullopt;
                return *name + std::u16string(kNameDataSeparator) + dataAsText(v.value);
            });
        return joined(items, kItemSeparator);
    });
}

std::u16string Registry::EnumerateRegKeyItemNames(uint32_t keyRoot,
                                                  const std::u16string& keyPath) noexcept {
    return continueOnError(std::u16string(), [&] {
        const auto path = nameOf(keyPath);
        const auto names = path ? RegistryStore().valueNames(keyRoot, *path) : std::nullopt;
        if (!names) return std::u16string();
        return joined(listing(*names, listedName), kItemSeparator);
    });
}

int16_t Registry::GetRegKeyItems(uint32_t keyRoot, const std::u16string& keyPath) noexcept {
    return continueOnError(int16_t{0}, [&] {
        const auto path = nameOf(keyPath);
        const auto names = path ? RegistryStore().valueNames(keyRoot, *path) : std::nullopt;
        if (!names) return int16_t{0};
        // Counting goes on past what an Integer holds; the count stays at
        // its largest value.
        const std::size_t count = listing(*names, listedName).size();
        return static_cast<int16_t>(std::min(count, kMaxItemCount));
    });
}

void Registry::DeleteRegKey(uint32_t keyRoot, const std::u16string& keyPath) noexcept {
    continueOnError([&] {
        // The store removes the whole subtree in one transaction and never
        // a root, so an empty path cannot empty a root; the key of the
        // deletions queued for the next start and its parents stay.
        const auto path = nameOf(keyPath);
        if (path && !platform::restart::holdsPendingList(keyRoot, *path)) {
            (void)RegistryStore().deleteKey(keyRoot, *path);
        }
    });
}

bool Registry::DeleteRegKeyValue(uint32_t keyRoot, const std::u16string& keyPath,
                                 std::u16string& subKey) noexcept {
    return continueOnError(false, [&] {
        if (subKey.empty()) subKey = keyPath;
        const auto path = nameOf(keyPath);
        const auto name = nameOf(subKey);
        if (!path || !name || platform::restart::isPendingListValue(keyRoot, *path, *name)) {
            return false;
        }
        return static_cast<bool>(RegistryStore().deleteValue(keyRoot, *path, *name));
    });
}

}  // namespace tlvx::library
