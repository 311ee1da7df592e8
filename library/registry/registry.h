#pragma once
// The registry methods of the library's Registry class over the platform's
// registry store. Key paths, value names and text data pass through code
// page 1252, as the registry's single-byte entry points take and give
// them; a name holding a NUL character is refused with the empty result.
// The deletions queued for the next start (PendingFileRenameOperations, its
// folders and its boot mark in the key "Session Manager" of
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control) are written only by
// DelUntilReboot: writing, removing or importing over them is refused.
// Every method works from its arguments and the store alone; none throws,
// a failure gives the empty result (false, the empty string, 0).

#include <cstdint>
#include <string>

namespace tlvx::library {

class Registry {
public:
    // Saves the key with its subtree to the hive file `fileName`, which is
    // replaced only once the new one is complete.
    bool ExportRegKey(uint32_t keyRoot, const std::u16string& keyPath,
                      const std::u16string& fileName) noexcept;
    // Replaces the subtree of an existing key by the one saved in
    // `fileName`, all at once; false, with the key as it was, when the file
    // is not such a save.
    bool ImportRegKey(uint32_t keyRoot, const std::u16string& keyPath,
                      const std::u16string& fileName) noexcept;

    // The value's data as text (see dataAsText in registry.cpp); the empty
    // string for a missing value, `noKeyFoundValue` for a missing key.
    std::u16string ReadRegKey(uint32_t keyRoot, const std::u16string& keyPath,
                              const std::u16string& subKey,
                              const std::u16string& noKeyFoundValue) noexcept;
    // Writes a REG_SZ or REG_EXPAND_SZ text, a REG_BINARY byte or a REG_DWORD
    // number read from the text, creating the key; false when the text is
    // not such a number (and nothing is written). Any other type creates
    // the key only.
    bool WriteRegKey(uint32_t keyType, uint32_t keyRoot, const std::u16string& keyPath,
                     const std::u16string& subKey, const std::u16string& subKeyValue) noexcept;

    // Subkey names joined by "*SK*"; value names with their data
    // ("name*NDS*data", joined by "*IS*"); value names joined by "*IS*".
    std::u16string EnumerateRegKeys(uint32_t keyRoot, const std::u16string& keyPath) noexcept;
    std::u16string EnumerateRegKeyValues(uint32_t keyRoot, const std::u16string& keyPath) noexcept;
    std::u16string EnumerateRegKeyItemNames(uint32_t keyRoot,
                                            const std::u16string& keyPath) noexcept;
    // The number of values the name list holds.
    int16_t GetRegKeyItems(uint32_t keyRoot, const std::u16string& keyPath) noexcept;

    // Removes the key with all its subkeys, all or nothing. A path that
    // names a root removes nothing.
    void DeleteRegKey(uint32_t keyRoot, const std::u16string& keyPath) noexcept;
    // Removes one value. An empty `subKey` takes the path as the value's
    // name, and the caller's variable gets the path.
    bool DeleteRegKeyValue(uint32_t keyRoot, const std::u16string& keyPath,
                           std::u16string& subKey) noexcept;
};

}  // namespace tlvx::library
