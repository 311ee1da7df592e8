// Saved keys: a key with its subtree written into a standalone SQLite file
// of the same tables as the store (names kept as written), its top key the
// row without a parent, marked by kSaveApplicationId; and such a file
// restored over a key.

#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/descriptors/regular_file.h"
#include "platform/files/file_replacement.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/store_connection.h"
#include "platform/registry/store_keys.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform {
namespace {

using sqlite::Database;
using sqlite::exec;
using sqlite::Statement;
using sqlite::Transaction;
using store::check;
using store::fail;

constexpr int kSaveApplicationId = 0x544C5652;  // "TLVR"
constexpr const char* kNotASave = "the file is not a saved key";

// The saved file's tables: the same shape, names kept as written.
constexpr const char* kSaveSchema = R"sql(
CREATE TABLE reg_key(id INTEGER PRIMARY KEY, parent INTEGER, name TEXT NOT NULL);
CREATE TABLE reg_value(id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name TEXT NOT NULL,
                       type INTEGER NOT NULL, data BLOB NOT NULL);
)sql";

struct SavedKey {
    int64_t id;
    int64_t parent;  // 0 for the saved key itself
    std::string name;
};
struct SavedValue {
    int64_t key;
    std::string name;
    int64_t type;
    std::string data;
};
struct Subtree {
    std::vector<SavedKey> keys;  // parents before children
    std::vector<SavedValue> values;
};

// The subtree below `top` (included) as rows, parents first; the top row
// gets parent 0. False when SQLite fails or `top` is no key.
bool readSubtree(sqlite3* db, int64_t top, Subtree& tree) {
    Statement keys(db, R"sql(
        WITH RECURSIVE sub(id) AS (
            SELECT ?1 UNION ALL SELECT k.id FROM reg_key k JOIN sub ON k.parent = sub.id)
        SELECT k.id, k.parent, k.name FROM reg_key k JOIN sub USING(id) ORDER BY k.id)sql");
    keys.bind(1, top);
    int rc;
    while ((rc = keys.step()) == SQLITE_ROW) {
        const int64_t id = keys.integer(0);
        tree.keys.push_back({id, id == top ? 0 : keys.integer(1), keys.bytes(2)});
    }
    if (rc != SQLITE_DONE || tree.keys.empty()) return false;
    Statement values(db, R"sql(
        WITH RECURSIVE sub(id) AS (
            SELECT ?1 UNION ALL SELECT k.id FROM reg_key k JOIN sub ON k.parent = sub.id)
        SELECT v.key, v.name, v.type, v.data FROM reg_value v JOIN sub ON v.key = sub.id
        ORDER BY v.id)sql");
    values.bind(1, top);
    while ((rc = values.step()) == SQLITE_ROW) {
        tree.values.push_back(
            {values.integer(0), values.bytes(1), values.integer(2), values.bytes(3)});
    }
    return rc == SQLITE_DONE;
}

// Writes the subtree's keys below `target` and all values, the saved top
// key's values going to `target` itself (inside a write transaction).
void writeSubtree(sqlite3* db, int64_t target, const Subtree& tree) {
    std::unordered_map<int64_t, int64_t> idMap;  // saved id -> new id
    auto newId = [&idMap](int64_t saved) {
        const auto found = idMap.find(saved);
        if (found == idMap.end()) fail(kNotASave);
        return found->second;
    };
    Statement insertKey(db, "INSERT INTO reg_key(parent, name, folded) VALUES (?1, ?2, ?3)");
    for (const SavedKey& key : tree.keys) {
        if (key.parent == 0) {
            idMap.emplace(key.id, target);
            continue;
        }
        const int64_t parent = newId(key.parent);
        const std::u16string name = unicode::utf8ToUtf16(key.name);
        insertKey.reset();
        insertKey.bind(1, parent).bindText(2, key.name).bindText(3, store::folded(name));
        check(db, insertKey.run());
        idMap.emplace(key.id, sqlite3_last_insert_rowid(db));
    }
    Statement insertValue(
        db, "INSERT INTO reg_value(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)");
    for (const SavedValue& value : tree.values) {
        const int64_t key = newId(value.key);
        const std::u16string name = unicode::utf8ToUtf16(value.name);
        insertValue.reset();
        insertValue.bind(1, key)
            .bindText(2, value.name)
            .bindText(3, store::folded(name))
            .bind(4, value.type)
            .bindBlob(5, value.data);
        check(db, insertValue.run());
    }
}

// The saved subtree as the bytes of a standalone database file.
std::string serializeSubtree(const Subtree& tree) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Database db(raw);
    check(db.get(), db && exec(db.get(), kSaveSchema));
    const std::string marks = "PRAGMA application_id = " + std::to_string(kSaveApplicationId) +
                              "; PRAGMA user_version = " + std::to_string(store::kSchemaVersion);
    check(db.get(), exec(db.get(), marks.c_str()) && exec(db.get(), "BEGIN"));
    Statement insertKey(db.get(), "INSERT INTO reg_key(id, parent, name) VALUES (?1, ?2, ?3)");
    for (const SavedKey& key : tree.keys) {
        insertKey.reset();
        insertKey.bind(1, key.id).bindText(3, key.name);
        if (key.parent == 0) {
            insertKey.bindNull(2);
        } else {
            insertKey.bind(2, key.parent);
        }
        check(db.get(), insertKey.run());
    }
    Statement insertValue(db.get(),
                          "INSERT INTO reg_value(key, name, type, data) VALUES (?1, ?2, ?3, ?4)");
    for (const SavedValue& value : tree.values) {
        insertValue.reset();
        insertValue.bind(1, value.key)
            .bindText(2, value.name)
            .bind(3, value.type)
            .bindBlob(4, value.data);
        check(db.get(), insertValue.run());
    }
    check(db.get(), exec(db.get(), "COMMIT"));
    sqlite3_int64 size = 0;
    unsigned char* image = sqlite3_serialize(db.get(), "main", &size, 0);
    check(db.get(), image != nullptr);
    std::string bytes(reinterpret_cast<const char*>(image), static_cast<size_t>(size));
    sqlite3_free(image);
    return bytes;
}

// Writes the bytes as the whole new content of `file`, in one step.
void replaceSavedFile(const std::filesystem::path& file, const std::string& bytes) {
    FileReplacement replacement(file);
    replacement.write(bytes);
    if (!replacement.commit()) {
        const int error = replacement.error();
        fail("the file cannot be written" +
             (error ? ": " + std::string(std::strerror(error)) : ""));
    }
}

// Reads a saved subtree; fails when the file cannot be read or is not a
// save of ours.
Subtree readSavedFile(const std::filesystem::path& file) {
    // Read through the regular-file opener, never by SQLite from the path:
    // opening a FIFO by name would wait for a writer for ever, and a device
    // or a pseudo-file would never end. SQLite gets the bytes in memory.
    auto bytes = readAll(file);
    if (!bytes) {
        const RegularFile opened = RegularFile::openForReading(file);
        fail(opened ? "the file cannot be read"
                    : "the file cannot be read: " + describeRefusal(opened));
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE, nullptr);
    Database db(raw);
    check(db.get(), rc == SQLITE_OK);
    const auto size = static_cast<sqlite3_int64>(bytes->size());
    auto* image = static_cast<unsigned char*>(sqlite3_malloc64(bytes->empty() ? 1 : bytes->size()));
    if (!image) fail("out of memory");
    std::memcpy(image, bytes->data(), bytes->size());
    bytes.reset();
    // SQLite frees the image with the connection, also when it refuses it.
    check(db.get(), sqlite3_deserialize(
                        db.get(), "main", image, size, size,
                        SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) == SQLITE_OK);
    if (sqlite::queryInteger(db.get(), "PRAGMA application_id") != kSaveApplicationId) {
        fail(kNotASave);
    }
    Transaction transaction(db.get(), Transaction::Read);
    Statement top(db.get(), "SELECT id FROM reg_key WHERE parent IS NULL");
    if (!transaction.ok() || top.step() != SQLITE_ROW) fail(kNotASave);
    const int64_t topId = top.integer(0);
    if (top.step() != SQLITE_DONE) fail(kNotASave);  // one top key only
    Subtree tree;
    if (!readSubtree(db.get(), topId, tree)) fail(kNotASave);
    // Every key below the top must be one a path can name.
    for (const SavedKey& key : tree.keys) {
        if (key.parent != 0 && !store::isKeyName(unicode::utf8ToUtf16(key.name))) fail(kNotASave);
    }
    // Every value must belong to a key of the tree.
    Statement count(db.get(), "SELECT count(*) FROM reg_value");
    if (count.step() != SQLITE_ROW ||
        count.integer(0) != static_cast<int64_t>(tree.values.size())) {
        fail(kNotASave);
    }
    return tree;
}

}  // namespace

StoreResult RegistryStore::saveKeyToFile(uint32_t root, std::u16string_view path,
                                         const std::filesystem::path& file) const noexcept {
    return store::transact(file_, store::Access::Read, [&](sqlite3* db) {
        Subtree tree;
        check(db, readSubtree(db, store::existingKey(db, root, path), tree));
        replaceSavedFile(file, serializeSubtree(tree));
    });
}

StoreResult RegistryStore::restoreKeyFromFile(uint32_t root, std::u16string_view path,
                                              const std::filesystem::path& file) noexcept {
    return store::write(file_, [&](sqlite3* db) {
        const Subtree tree = readSavedFile(file);
        const int64_t key = store::existingKey(db, root, path);
        store::emptyKey(db, key);
        writeSubtree(db, key, tree);
    });
}

}  // namespace tlvx::platform
