#pragma once
// A store with the shape of the Windows registry: roots, keys named by paths
// ("Software\Tallyvex\Settings"), and typed values in each key, kept in one
// SQLite database per user. Key and value names are compared without regard
// to letter case, as the registry does, and keep the case they were first
// written with; the empty value name is the key's default value. Subkeys and
// values are listed in the order they were created.
//
// Value data are the bytes the registry would hold: strings (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-16LE with their terminating NUL,
// REG_DWORD as four little-endian bytes; other types are kept as given.
// The registry's single-byte face (fromAnsi, ansiData) hands string data
// over in code page 1252 instead, as its "A" entry points do.
//
// Every write is one transaction: another process sees all of it or none
// of it, and a writer killed half-way leaves the store as it was. No
// function throws: a write answers a StoreResult that says why it failed,
// a read that cannot be made answers false / nullopt.
//
// The parts: store_connection.* opens the database and runs the
// transactions, store_keys.* holds the keys and values, saved_subtree.cpp
// saves and restores subtrees, registry_value.cpp converts value data.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::platform {

// The roots, with the values of the Windows HKEY_* handles.
namespace regroot {
inline constexpr uint32_t ClassesRoot = 0x80000000u;
inline constexpr uint32_t CurrentUser = 0x80000001u;
inline constexpr uint32_t LocalMachine = 0x80000002u;
inline constexpr uint32_t Users = 0x80000003u;
inline constexpr uint32_t CurrentConfig = 0x80000005u;
}  // namespace regroot

// Value types, with the values of the Windows REG_* constants.
namespace regtype {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t Sz = 1;
inline constexpr uint32_t ExpandSz = 2;
inline constexpr uint32_t Binary = 3;
inline constexpr uint32_t Dword = 4;
inline constexpr uint32_t DwordBigEndian = 5;
inline constexpr uint32_t MultiSz = 7;
inline constexpr uint32_t Qword = 11;
}  // namespace regtype

struct RegistryValue {
    uint32_t type = regtype::None;
    std::string data;  // raw bytes

    bool operator==(const RegistryValue&) const = default;

    // A string value (REG_SZ or REG_EXPAND_SZ) with its terminating NUL.
    static RegistryValue fromString(std::u16string_view text, uint32_t type = regtype::Sz);
    static RegistryValue fromDword(uint32_t number);
    // A REG_MULTI_SZ value: each string with its NUL, and one NUL more.
    static RegistryValue fromStrings(const std::vector<std::u16string>& strings);
    // The text of a string value, up to its first NUL; nullopt for another
    // type.
    std::optional<std::u16string> toString() const;
    // The strings of a REG_MULTI_SZ value, empty ones inside kept (they
    // are told apart by their count); none for another type.
    std::vector<std::u16string> toStrings() const;
    // The number of a REG_DWORD value; nullopt for another type or size.
    std::optional<uint32_t> toDword() const;

    // A value whose data come in the single-byte form: for a string type
    // (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) bytes in code page 1252, stored
    // as their UTF-16 form byte for byte (a terminating zero is stored only
    // when given); other data as they are.
    static RegistryValue fromAnsi(uint32_t type, std::string_view data);
    // The data in the single-byte form: string types in code page 1252
    // (characters it cannot hold become '?'), other data as stored.
    std::string ansiData() const;
};

struct NamedValue {
    std::u16string name;
    RegistryValue value;
};

// One value to set (RegistryStore::setValues).
struct ValueWrite {
    uint32_t root;
    std::u16string path;
    std::u16string name;
    RegistryValue value;
};

// One value to remove while it holds what it held when written, and a key
// to remove when empty (RegistryStore::removeUnchanged).
struct ValueRemoval {
    uint32_t root;
    std::u16string path;
    std::u16string name;
    RegistryValue expected;
};
struct KeyRef {
    uint32_t root;
    std::u16string path;
};

// What a look-up of one value found: whether its key exists, and the value.
struct ValueLookup {
    bool keyFound = false;
    std::optional<RegistryValue> value;
};

// What a write came to: success, or the reason it failed with the store
// left as it was ("the key does not exist", "the store is read-only",
// SQLite's own message, ...).
class [[nodiscard]] StoreResult {
public:
    StoreResult() = default;  // success
    static StoreResult failure(std::string reason) noexcept;

    explicit operator bool() const noexcept { return !failed_; }
    // Empty on success.
    const std::string& reason() const noexcept { return reason_; }

private:
    bool failed_ = false;
    std::string reason_;
};

class RegistryStore {
public:
    // The user's store: $TLVX_REGISTRY when set, else
    // $XDG_DATA_HOME/tallyvex/registry.sqlite (~/.local/share/... by default).
    // The location is read when the object is made.
    RegistryStore();
    explicit RegistryStore(std::filesystem::path databaseFile);

    static std::filesystem::path userDatabaseFile();
    const std::filesystem::path& databaseFile() const { return file_; }
    // False while nothing was ever written to the store: it has no file yet
    // and reads as one just made, which holds the system's databases and
    // nothing else. A reader after anything else (a class, a queued
    // deletion) can stop here and spare the making of those databases, which
    // looks at every converter iconv has. True when it cannot tell.
    bool hasBeenWritten() const noexcept;

    // Paths are key names separated by '\'; empty components are ignored,
    // so "" names the root itself. A name is at most 255 characters.

    // Creates the key and any missing parents; success when it exists
    // afterwards.
    StoreResult createKey(uint32_t root, std::u16string_view path) noexcept;
    bool keyExists(uint32_t root, std::u16string_view path) const noexcept;
    // Removes the key with all its subkeys and values; fails when it does
    // not exist or is a root.
    StoreResult deleteKey(uint32_t root, std::u16string_view path) noexcept;

    // Sets a value, creating the key (and its parents) when missing. A value
    // that exists keeps its place in the order and the case of its name.
    StoreResult setValue(uint32_t root, std::u16string_view path, std::u16string_view name,
                         const RegistryValue& value) noexcept;
    // Sets all the values as setValue does, in one transaction: all or none.
    StoreResult setValues(const std::vector<ValueWrite>& writes) noexcept;
    // In one transaction: removes each value that still holds its expected
    // type and data (others stay, as do missing ones), then each key of
    // `keysIfEmpty`, in the order given, that is left without subkeys and
    // values (never a root). Fails when the store cannot be written.
    StoreResult removeUnchanged(const std::vector<ValueRemoval>& values,
                                const std::vector<KeyRef>& keysIfEmpty) noexcept;
    std::optional<RegistryValue> getValue(uint32_t root, std::u16string_view path,
                                          std::u16string_view name) const noexcept;
    ValueLookup lookupValue(uint32_t root, std::u16string_view path,
                            std::u16string_view name) const noexcept;
    // Reads the values `names` of the key (nullopt for a missing one),
    // hands them to `change`, and writes what it returns in their place
    // (nullopt removes a value), all in one transaction: no other writer
    // comes between the reading and the writing. The key is created when a
    // value is set in it. Fails, with nothing changed, when the store cannot
    // be written, `change` throws or returns another number of values.
    using ValueChange = std::function<std::vector<std::optional<RegistryValue>>(
        const std::vector<std::optional<RegistryValue>>&)>;
    StoreResult updateValues(uint32_t root, std::u16string_view path,
                             const std::vector<std::u16string>& names,
                             const ValueChange& change) noexcept;
    // Fails when the key or the value does not exist.
    StoreResult deleteValue(uint32_t root, std::u16string_view path,
                            std::u16string_view name) noexcept;

    // Names in order of creation; nullopt when the key does not exist.
    std::optional<std::vector<std::u16string>> subkeyNames(uint32_t root,
                                                           std::u16string_view path) const noexcept;
    std::optional<std::vector<std::u16string>> valueNames(uint32_t root,
                                                          std::u16string_view path) const noexcept;
    // The values with their data, in order of creation, read at one moment.
    std::optional<std::vector<NamedValue>> values(uint32_t root,
                                                  std::u16string_view path) const noexcept;

    // Writes the key with its subtree (values included) into a standalone
    // SQLite file, replacing `file` in one step. Fails when the key does not
    // exist or the file cannot be written.
    StoreResult saveKeyToFile(uint32_t root, std::u16string_view path,
                              const std::filesystem::path& file) const noexcept;
    // Replaces the values and subkeys of an existing key by those saved in
    // `file`, in one transaction. Fails, with the store unchanged, when the
    // file is not such a save or cannot be read, or the key is missing.
    StoreResult restoreKeyFromFile(uint32_t root, std::u16string_view path,
                                   const std::filesystem::path& file) noexcept;

private:
    std::filesystem::path file_;
};

}  // namespace tlvx::platform
