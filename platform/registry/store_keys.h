#pragma once
// The rows of the registry store's keys: finding them by path, making them,
// emptying them, and the case-blind form their names are compared in. All
// work inside the caller's transaction and throw StoreError when SQLite
// fails (see store_connection.h).

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry_store.h"

namespace tlvx::platform::store {

inline constexpr size_t kMaxNameLength = 255;

// The form names are compared in: each UTF-16 unit by its upper-case form,
// as the registry's own 16-bit case table does, stored as UTF-8.
std::string folded(std::u16string_view name);

// The key names of a path, empty components left out; nullopt when a name
// is too long.
std::optional<std::vector<std::u16string_view>> splitPath(std::u16string_view path);

// A name a path can hold as one of its components.
bool isKeyName(std::u16string_view name);

// The id of the key the path names; nullopt when it does not exist (or the
// root or a name cannot be).
std::optional<int64_t> findKey(sqlite3* db, uint32_t root, std::u16string_view path);
// The id of the key, created with its missing parents (inside a write
// transaction); fails for a root that does not exist or a name too long.
int64_t createKeyPath(sqlite3* db, uint32_t root, std::u16string_view path);
// The id of the existing key; fails when it does not exist.
int64_t existingKey(sqlite3* db, uint32_t root, std::u16string_view path);
// Removes the key's values and subkeys; the key itself stays.
void emptyKey(sqlite3* db, int64_t key);
// Sets each value the store does not hold yet, creating its key (inside a
// write transaction); a value that exists keeps what it holds.
void writeMissingValues(sqlite3* db, const std::vector<ValueWrite>& writes);

}  // namespace tlvx::platform::store
