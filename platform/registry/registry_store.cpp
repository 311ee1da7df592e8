#include "platform/registry/registry_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/files/file_replacement.h"
#include "platform/registry/sqlite_statement.h"
#include "platform/shell/system_folders.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/percent_encoding.h"
#include "platform/text/unicode_text.h"

// Layout of the database. Every key is a row of reg_key; the five roots are
// rows without a parent whose ids follow from their HKEY values (rootRow),
// so that every real key has a parent and the unique index (parent, folded)
// keeps names unique per parent. Rows get increasing ids, so ordering by id
// is the order of creation. Deleting a key deletes its subtree through the
// foreign keys.
//
// A saved key is a file of the same tables, its top key the row without a
// parent, marked by kSaveApplicationId.

namespace tlvx::platform {
namespace {

using sqlite::Database;
using sqlite::exec;
using sqlite::Statement;
using sqlite::Transaction;

constexpr int kSchemaVersion = 1;
constexpr int kSaveApplicationId = 0x544C5652;  // "TLVR"
constexpr int kBusyTimeoutMs = 5000;
constexpr size_t kMaxNameLength = 255;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS reg_key(
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES reg_key(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS reg_key_child ON reg_key(parent, folded);
CREATE TABLE IF NOT EXISTS reg_value(
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL REFERENCES reg_key(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS reg_value_name ON reg_value(key, folded);
INSERT OR IGNORE INTO reg_key(id, parent, name, folded) VALUES
    (1, NULL, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT'),
    (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),
    (3, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),
    (4, NULL, 'HKEY_USERS', 'HKEY_USERS'),
    (6, NULL, 'HKEY_CURRENT_CONFIG', 'HKEY_CURRENT_CONFIG');
)sql";

// The row id of a root; nullopt for a value that names no root.
std::optional<int64_t> rootRow(uint32_t root) {
    switch (root) {
        case regroot::ClassesRoot:
        case regroot::CurrentUser:
        case regroot::LocalMachine:
        case regroot::Users:
        case regroot::CurrentConfig:
            return static_cast<int64_t>(root - regroot::ClassesRoot) + 1;
        default:
            return std::nullopt;
    }
}

// ---------------------------------------------------------------------------
// Names

// The form names are compared in: each UTF-16 unit by its upper-case form,
// as the registry's own 16-bit case table does, stored as UTF-8. SQLite's
// NOCASE folds ASCII only, so the folding is done here.
std::string folded(std::u16string_view name) {
    std::u16string upper(name);
    for (char16_t& c : upper) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogates stay as they are
        const char32_t u = unicode::toUpper(static_cast<char32_t>(c));
        if (u <= 0xFFFF && !(u >= 0xD800 && u <= 0xDFFF)) c = static_cast<char16_t>(u);
    }
    return unicode::utf16ToUtf8(upper);
}

// A name a path can hold as one of its components.
bool isKeyName(std::u16string_view name) {
    return !name.empty() && name.size() <= kMaxNameLength &&
           name.find(u'\\') == std::u16string_view::npos;
}

bool isStringType(uint32_t type) {
    return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

// The key names of a path; nullopt when a name is too long.
std::optional<std::vector<std::u16string_view>> splitPath(std::u16string_view path) {
    std::vector<std::u16string_view> names;
    while (!path.empty()) {
        const size_t cut = path.find(u'\\');
        const std::u16string_view name = path.substr(0, cut);
        if (name.size() > kMaxNameLength) return std::nullopt;
        if (!name.empty()) names.push_back(name);
        if (cut == std::u16string_view::npos) break;
        path.remove_prefix(cut + 1);
    }
    return names;
}

// ---------------------------------------------------------------------------
// The database

bool createSchema(sqlite3* db) {
    Transaction transaction(db, Transaction::Write);
    if (!transaction.ok() || !exec(db, kSchema)) return false;
    const std::string setVersion = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
    return exec(db, setVersion.c_str()) && transaction.commit();
}

// Opens the store's database, creating the file (and its folders) when
// `create` is set, and makes sure the tables exist.
Database openStore(const std::filesystem::path& file, bool create) {
    if (create) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
    }
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) return nullptr;
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    // Two processes making a new store at once: switching the journal mode
    // and making the tables can find the other's lock in a way SQLite does
    // not wait for (it answers "busy" at once). The loser tries again.
    const auto busy = [&db] {
        const int code = sqlite3_errcode(db.get()) & 0xFF;
        return code == SQLITE_BUSY || code == SQLITE_LOCKED;
    };
    constexpr int kAttempts = kBusyTimeoutMs / 10;
    for (int attempt = 1;; ++attempt) {
        // WAL: readers never wait for a writer, and a writer that dies
        // before its commit leaves nothing the next reader would use.
        const bool prepared = exec(db.get(),
                                   "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;"
                                   " PRAGMA foreign_keys = ON;");
        std::optional<std::int64_t> version;
        if (prepared) version = sqlite::queryInteger(db.get(), "PRAGMA user_version");
        if (version) {
            if (*version > kSchemaVersion) return nullptr;  // newer than us
            if (*version == kSchemaVersion || createSchema(db.get())) return db;
        }
        if (!busy() || attempt >= kAttempts) return nullptr;  // not ours, or stuck
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// True when this process may change the file and make files beside it (the
// shared-memory file that reading a WAL database needs).
bool mayWrite(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    return ::access(file.c_str(), W_OK) == 0 && ::access(folder.c_str(), W_OK) == 0;
}

// A store this process may only read, opened as it stands on disk: without
// write access SQLite cannot make the shared-memory file a WAL database is
// read through. Nobody's writes are seen by this connection, so it is made
// afresh for every read.
Database openSnapshot(const std::filesystem::path& file) {
    const std::string uri = "file:" + percent::encodePath(file.native()) + "?immutable=1";
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(uri.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) return nullptr;
    if (sqlite::queryInteger(db.get(), "PRAGMA user_version") != kSchemaVersion) return nullptr;
    return db;
}

// An empty store in memory, the answer of every read while no file exists.
sqlite3* emptyStore() {
    thread_local Database empty = [] {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Database db(raw);
        if (db && !exec(db.get(), kSchema)) db.reset();
        return db;
    }();
    return empty.get();
}

// Each thread keeps its connection to the last store it used. The cached
// connection is dropped when the path names another file than it was
// opened on; in a forked child it is left alone, since a connection must
// not be used in a process other than the one that opened it.
class ConnectionCache {
public:
    ~ConnectionCache() {
        if (pid_ != getpid()) (void)db_.release();
        if (snapshotPid_ != getpid()) (void)snapshot_.release();
    }

    sqlite3* get(const std::filesystem::path& file, bool forWrite) {
        dropSnapshot();
        struct stat info;
        const bool exists = ::stat(file.c_str(), &info) == 0;
        if (db_ && (pid_ != getpid() || !exists || path_ != file.native() || dev_ != info.st_dev ||
                    ino_ != info.st_ino)) {
            drop();
        }
        if (db_) return db_.get();
        if (!exists && !forWrite) return emptyStore();
        db_ = openStore(file, forWrite);
        if (!db_ && !forWrite && !mayWrite(file)) {
            snapshot_ = openSnapshot(file);
            snapshotPid_ = getpid();
            return snapshot_.get();
        }
        if (!db_) return nullptr;
        if (::stat(file.c_str(), &info) != 0) {
            db_.reset();
            return nullptr;
        }
        path_ = file.native();
        pid_ = getpid();
        dev_ = info.st_dev;
        ino_ = info.st_ino;
        return db_.get();
    }

private:
    void drop() {
        if (pid_ != getpid()) {
            (void)db_.release();  // the parent's connection, not ours to close
        } else {
            db_.reset();
        }
    }
    void dropSnapshot() {
        if (snapshotPid_ != getpid()) {
            (void)snapshot_.release();
        } else {
            snapshot_.reset();
        }
    }

    Database snapshot_;  // the last read of a store this process may not write
    pid_t snapshotPid_ = 0;
    Database db_;
    std::string path_;
    pid_t pid_ = 0;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
};

sqlite3* connection(const std::filesystem::path& file, bool forWrite) {
    thread_local ConnectionCache cache;
    return cache.get(file, forWrite);
}

// ---------------------------------------------------------------------------
// Keys and values

std::optional<int64_t> findChild(sqlite3* db, int64_t parent, std::u16string_view name) {
    Statement s(db, "SELECT id FROM reg_key WHERE parent = ?1 AND folded = ?2");
    s.bind(1, parent).bindText(2, folded(name));
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return s.integer(0);
}

std::optional<int64_t> insertChild(sqlite3* db, int64_t parent, std::u16string_view name) {
    Statement s(db, "INSERT INTO reg_key(parent, name, folded) VALUES (?1, ?2, ?3)");
    s.bind(1, parent).bindText(2, unicode::utf16ToUtf8(name)).bindText(3, folded(name));
    if (!s.run()) return std::nullopt;
    return sqlite3_last_insert_rowid(db);
}

// The id of the key the path names; nullopt when it does not exist.
std::optional<int64_t> findKey(sqlite3* db, uint32_t root, std::u16string_view path) {
    const auto row = rootRow(root);
    const auto names = splitPath(path);
    if (!row || !names) return std::nullopt;
    std::optional<int64_t> key = row;
    for (const auto name : *names) {
        key = findChild(db, *key, name);
        if (!key) break;
    }
    return key;
}

// The id of the key, created with its missing parents (inside a write
// transaction).
std::optional<int64_t> createKeyPath(sqlite3* db, uint32_t root, std::u16string_view path) {
    const auto row = rootRow(root);
    const auto names = splitPath(path);
    if (!row || !names) return std::nullopt;
    std::optional<int64_t> key = row;
    for (const auto name : *names) {
        auto child = findChild(db, *key, name);
        if (!child) child = insertChild(db, *key, name);
        if (!child) return std::nullopt;
        key = child;
    }
    return key;
}

std::optional<std::vector<std::u16string>> namesIn(sqlite3* db, uint32_t root,
                                                   std::u16string_view path, const char* sql) {
    Transaction transaction(db, Transaction::Read);
    if (!transaction.ok()) return std::nullopt;
    const auto key = findKey(db, root, path);
    if (!key) return std::nullopt;
    Statement s(db, sql);
    s.bind(1, *key);
    std::vector<std::u16string> names;
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) names.push_back(unicode::utf8ToUtf16(s.bytes(0)));
    if (rc != SQLITE_DONE) return std::nullopt;
    return names;
}

// ---------------------------------------------------------------------------
// Saved keys

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
// gets parent 0.
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
bool writeSubtree(sqlite3* db, int64_t target, const Subtree& tree) {
    std::unordered_map<int64_t, int64_t> idMap;  // saved id -> new id
    auto newId = [&idMap](int64_t saved) -> std::optional<int64_t> {
        const auto found = idMap.find(saved);
        if (found == idMap.end()) return std::nullopt;
        return found->second;
    };
    Statement insertKey(db, "INSERT INTO reg_key(parent, name, folded) VALUES (?1, ?2, ?3)");
    for (const SavedKey& key : tree.keys) {
        if (key.parent == 0) {
            idMap.emplace(key.id, target);
            continue;
        }
        const auto parent = newId(key.parent);
        if (!parent) return false;
        const std::u16string name = unicode::utf8ToUtf16(key.name);
        insertKey.reset();
        insertKey.bind(1, *parent).bindText(2, key.name).bindText(3, folded(name));
        if (!insertKey.run()) return false;
        idMap.emplace(key.id, sqlite3_last_insert_rowid(db));
    }
    Statement insertValue(
        db, "INSERT INTO reg_value(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)");
    for (const SavedValue& value : tree.values) {
        const auto key = newId(value.key);
        if (!key) return false;
        const std::u16string name = unicode::utf8ToUtf16(value.name);
        insertValue.reset();
        insertValue.bind(1, *key)
            .bindText(2, value.name)
            .bindText(3, folded(name))
            .bind(4, value.type)
            .bindBlob(5, value.data);
        if (!insertValue.run()) return false;
    }
    return true;
}

bool emptyKey(sqlite3* db, int64_t key) {
    Statement values(db, "DELETE FROM reg_value WHERE key = ?1");
    Statement keys(db, "DELETE FROM reg_key WHERE parent = ?1");
    values.bind(1, key);
    keys.bind(1, key);
    return values.run() && keys.run();
}

// The saved file's tables: the same shape, names kept as written.
constexpr const char* kSaveSchema = R"sql(
CREATE TABLE reg_key(id INTEGER PRIMARY KEY, parent INTEGER, name TEXT NOT NULL);
CREATE TABLE reg_value(id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name TEXT NOT NULL,
                       type INTEGER NOT NULL, data BLOB NOT NULL);
)sql";

// The saved subtree as the bytes of a standalone database file.
std::optional<std::string> serializeSubtree(const Subtree& tree) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Database db(raw);
    if (!db || !exec(db.get(), kSaveSchema)) return std::nullopt;
    const std::string marks = "PRAGMA application_id = " + std::to_string(kSaveApplicationId) +
                              "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
    if (!exec(db.get(), marks.c_str()) || !exec(db.get(), "BEGIN")) return std::nullopt;
    Statement insertKey(db.get(), "INSERT INTO reg_key(id, parent, name) VALUES (?1, ?2, ?3)");
    for (const SavedKey& key : tree.keys) {
        insertKey.reset();
        insertKey.bind(1, key.id).bindText(3, key.name);
        if (key.parent == 0) {
            insertKey.bindNull(2);
        } else {
            insertKey.bind(2, key.parent);
        }
        if (!insertKey.run()) return std::nullopt;
    }
    Statement insertValue(db.get(),
                          "INSERT INTO reg_value(key, name, type, data) VALUES (?1, ?2, ?3, ?4)");
    for (const SavedValue& value : tree.values) {
        insertValue.reset();
        insertValue.bind(1, value.key)
            .bindText(2, value.name)
            .bind(3, value.type)
            .bindBlob(4, value.data);
        if (!insertValue.run()) return std::nullopt;
    }
    if (!exec(db.get(), "COMMIT")) return std::nullopt;
    sqlite3_int64 size = 0;
    unsigned char* image = sqlite3_serialize(db.get(), "main", &size, 0);
    if (!image) return std::nullopt;
    std::string bytes(reinterpret_cast<const char*>(image), static_cast<size_t>(size));
    sqlite3_free(image);
    return bytes;
}

// Reads a saved subtree; false when the file is not a save of ours.
bool readSavedFile(const std::filesystem::path& file, Subtree& tree) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) return false;
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    if (sqlite::queryInteger(db.get(), "PRAGMA application_id") != kSaveApplicationId) return false;
    Transaction transaction(db.get(), Transaction::Read);
    Statement top(db.get(), "SELECT id FROM reg_key WHERE parent IS NULL");
    if (!transaction.ok() || top.step() != SQLITE_ROW) return false;
    const int64_t topId = top.integer(0);
    if (top.step() != SQLITE_DONE) return false;  // one top key only
    if (!readSubtree(db.get(), topId, tree)) return false;
    // Every key below the top must be one a path can name.
    for (const SavedKey& key : tree.keys) {
        if (key.parent != 0 && !isKeyName(unicode::utf8ToUtf16(key.name))) return false;
    }
    // Every value must belong to a key of the tree.
    Statement count(db.get(), "SELECT count(*) FROM reg_value");
    return count.step() == SQLITE_ROW &&
           count.integer(0) == static_cast<int64_t>(tree.values.size());
}

}  // namespace

// ---------------------------------------------------------------------------

RegistryValue RegistryValue::fromString(std::u16string_view text, uint32_t type) {
    RegistryValue value{type, {}};
    value.data.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        value.data += static_cast<char>(c & 0xFF);
        value.data += static_cast<char>(c >> 8);
    }
    value.data.append(2, '\0');
    return value;
}

RegistryValue RegistryValue::fromDword(uint32_t number) {
    RegistryValue value{regtype::Dword, std::string(4, '\0')};
    for (int i = 0; i < 4; ++i) value.data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return value;
}

std::optional<std::u16string> RegistryValue::toString() const {
    if (type != regtype::Sz && type != regtype::ExpandSz) return std::nullopt;
    std::u16string text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto c = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                             (static_cast<unsigned char>(data[i + 1]) << 8));
        if (c == 0) break;
        text += c;
    }
    return text;
}

RegistryValue RegistryValue::fromAnsi(uint32_t type, std::string_view data) {
    if (!isStringType(type)) return RegistryValue{type, std::string(data)};
    RegistryValue value{type, {}};
    value.data.reserve(data.size() * 2);
    for (char byte : data) {
        const char16_t c = ansi::decodeByte(static_cast<unsigned char>(byte));
        value.data += static_cast<char>(c & 0xFF);
        value.data += static_cast<char>(c >> 8);
    }
    return value;
}

std::string RegistryValue::ansiData() const {
    if (!isStringType(type)) return data;
    std::u16string text;
    text.reserve(data.size() / 2);
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                      (static_cast<unsigned char>(data[i + 1]) << 8));
    }
    return ansi::fromUtf16(text);
}

std::optional<uint32_t> RegistryValue::toDword() const {
    if (type != regtype::Dword || data.size() != 4) return std::nullopt;
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
    return number;
}

RegistryStore::RegistryStore() : file_(userDatabaseFile()) {}

RegistryStore::RegistryStore(std::filesystem::path databaseFile) : file_(std::move(databaseFile)) {}

std::filesystem::path RegistryStore::userDatabaseFile() {
    const char* overridden = std::getenv("TLVX_REGISTRY");
    if (overridden && *overridden) return overridden;
    return folders::userDataHome() / "tallyvex" / "registry.sqlite";
}

bool RegistryStore::createKey(uint32_t root, std::u16string_view path) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        return transaction.ok() && createKeyPath(db, root, path) && transaction.commit();
    } catch (...) {
        return false;
    }
}

bool RegistryStore::keyExists(uint32_t root, std::u16string_view path) const noexcept {
    try {
        sqlite3* db = connection(file_, false);
        Transaction transaction(db, Transaction::Read);
        return transaction.ok() && findKey(db, root, path).has_value();
    } catch (...) {
        return false;
    }
}

bool RegistryStore::deleteKey(uint32_t root, std::u16string_view path) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        if (!transaction.ok()) return false;
        const auto key = findKey(db, root, path);
        if (!key || key == rootRow(root)) return false;  // a root stays
        Statement remove(db, "DELETE FROM reg_key WHERE id = ?1");
        remove.bind(1, *key);
        return remove.run() && transaction.commit();
    } catch (...) {
        return false;
    }
}

bool RegistryStore::deleteTree(uint32_t root, std::u16string_view path) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        if (!transaction.ok()) return false;
        const auto key = findKey(db, root, path);
        return key && emptyKey(db, *key) && transaction.commit();
    } catch (...) {
        return false;
    }
}

namespace {

// Sets one value within the caller's write transaction.
bool upsertValue(sqlite3* db, uint32_t root, std::u16string_view path, std::u16string_view name,
                 const RegistryValue& value) {
    const auto key = createKeyPath(db, root, path);
    if (!key) return false;
    // An existing value keeps its row, hence its place and its name.
    Statement upsert(db, R"sql(
        INSERT INTO reg_value(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)
        ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data)sql");
    upsert.bind(1, *key)
        .bindText(2, unicode::utf16ToUtf8(name))
        .bindText(3, folded(name))
        .bind(4, value.type)
        .bindBlob(5, value.data);
    return upsert.run();
}

}  // namespace

bool RegistryStore::setValue(uint32_t root, std::u16string_view path, std::u16string_view name,
                             const RegistryValue& value) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        return transaction.ok() && upsertValue(db, root, path, name, value) && transaction.commit();
    } catch (...) {
        return false;
    }
}

bool RegistryStore::setValues(const std::vector<ValueWrite>& writes) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        if (!transaction.ok()) return false;
        for (const ValueWrite& w : writes) {
            if (!upsertValue(db, w.root, w.path, w.name, w.value)) return false;
        }
        return transaction.commit();
    } catch (...) {
        return false;
    }
}

bool RegistryStore::removeUnchanged(const std::vector<ValueRemoval>& values,
                                    const std::vector<KeyRef>& keysIfEmpty) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        if (!transaction.ok()) return false;
        for (const ValueRemoval& v : values) {
            const auto key = findKey(db, v.root, v.path);
            if (!key) continue;
            Statement read(db, "SELECT type, data FROM reg_value WHERE key = ?1 AND folded = ?2");
            read.bind(1, *key).bindText(2, folded(v.name));
            const int rc = read.step();
            if (rc == SQLITE_DONE) continue;
            if (rc != SQLITE_ROW) return false;
            if (RegistryValue{static_cast<uint32_t>(read.integer(0)), read.bytes(1)} != v.expected)
                continue;
            Statement remove(db, "DELETE FROM reg_value WHERE key = ?1 AND folded = ?2");
            remove.bind(1, *key).bindText(2, folded(v.name));
            if (!remove.run()) return false;
        }
        for (const KeyRef& k : keysIfEmpty) {
            const auto key = findKey(db, k.root, k.path);
            if (!key || key == rootRow(k.root)) continue;
            Statement remove(db, R"sql(
                DELETE FROM reg_key WHERE id = ?1
                  AND NOT EXISTS (SELECT 1 FROM reg_key WHERE parent = ?1)
                  AND NOT EXISTS (SELECT 1 FROM reg_value WHERE key = ?1))sql");
            remove.bind(1, *key);
            if (!remove.run()) return false;
        }
        return transaction.commit();
    } catch (...) {
        return false;
    }
}

std::optional<RegistryValue> RegistryStore::getValue(uint32_t root, std::u16string_view path,
                                                     std::u16string_view name) const noexcept {
    return lookupValue(root, path, name).value;
}

ValueLookup RegistryStore::lookupValue(uint32_t root, std::u16string_view path,
                                       std::u16string_view name) const noexcept {
    try {
        sqlite3* db = connection(file_, false);
        Transaction transaction(db, Transaction::Read);
        if (!transaction.ok()) return {};
        const auto key = findKey(db, root, path);
        if (!key) return {};
        Statement s(db, "SELECT type, data FROM reg_value WHERE key = ?1 AND folded = ?2");
        s.bind(1, *key).bindText(2, folded(name));
        const int rc = s.step();
        if (rc == SQLITE_DONE) return {true, std::nullopt};
        if (rc != SQLITE_ROW) return {};
        return {true, RegistryValue{static_cast<uint32_t>(s.integer(0)), s.bytes(1)}};
    } catch (...) {
        return {};
    }
}

bool RegistryStore::updateValues(uint32_t root, std::u16string_view path,
                                 const std::vector<std::u16string>& names,
                                 const ValueChange& change) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        if (!transaction.ok()) return false;
        std::optional<int64_t> key = findKey(db, root, path);
        std::vector<std::optional<RegistryValue>> before;
        Statement read(db, "SELECT type, data FROM reg_value WHERE key = ?1 AND folded = ?2");
        for (const auto& name : names) {
            before.emplace_back();
            if (!key) continue;
            read.reset();
            read.bind(1, *key).bindText(2, folded(name));
            const int rc = read.step();
            if (rc == SQLITE_ROW) {
                before.back() =
                    RegistryValue{static_cast<uint32_t>(read.integer(0)), read.bytes(1)};
            } else if (rc != SQLITE_DONE) {
                return false;
            }
        }
        const auto after = change(before);
        if (after.size() != names.size()) return false;
        Statement upsert(db, R"sql(
            INSERT INTO reg_value(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)
            ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data)sql");
        Statement remove(db, "DELETE FROM reg_value WHERE key = ?1 AND folded = ?2");
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (after[i] == before[i]) continue;
            if (!after[i]) {
                remove.reset();
                remove.bind(1, *key).bindText(2, folded(names[i]));
                if (!remove.run()) return false;
                continue;
            }
            if (!key) key = createKeyPath(db, root, path);
            if (!key) return false;
            upsert.reset();
            upsert.bind(1, *key)
                .bindText(2, unicode::utf16ToUtf8(names[i]))
                .bindText(3, folded(names[i]))
                .bind(4, after[i]->type)
                .bindBlob(5, after[i]->data);
            if (!upsert.run()) return false;
        }
        return transaction.commit();
    } catch (...) {
        return false;
    }
}

bool RegistryStore::deleteValue(uint32_t root, std::u16string_view path,
                                std::u16string_view name) noexcept {
    try {
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        if (!transaction.ok()) return false;
        const auto key = findKey(db, root, path);
        if (!key) return false;
        Statement remove(db, "DELETE FROM reg_value WHERE key = ?1 AND folded = ?2");
        remove.bind(1, *key).bindText(2, folded(name));
        return remove.run() && sqlite3_changes(db) == 1 && transaction.commit();
    } catch (...) {
        return false;
    }
}

std::optional<std::vector<std::u16string>> RegistryStore::subkeyNames(
    uint32_t root, std::u16string_view path) const noexcept {
    try {
        return namesIn(connection(file_, false), root, path,
                       "SELECT name FROM reg_key WHERE parent = ?1 ORDER BY id");
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<std::u16string>> RegistryStore::valueNames(
    uint32_t root, std::u16string_view path) const noexcept {
    try {
        return namesIn(connection(file_, false), root, path,
                       "SELECT name FROM reg_value WHERE key = ?1 ORDER BY id");
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<NamedValue>> RegistryStore::values(
    uint32_t root, std::u16string_view path) const noexcept {
    try {
        sqlite3* db = connection(file_, false);
        Transaction transaction(db, Transaction::Read);
        if (!transaction.ok()) return std::nullopt;
        const auto key = findKey(db, root, path);
        if (!key) return std::nullopt;
        Statement s(db, "SELECT name, type, data FROM reg_value WHERE key = ?1 ORDER BY id");
        s.bind(1, *key);
        std::vector<NamedValue> values;
        int rc;
        while ((rc = s.step()) == SQLITE_ROW) {
            values.push_back({unicode::utf8ToUtf16(s.bytes(0)),
                              RegistryValue{static_cast<uint32_t>(s.integer(1)), s.bytes(2)}});
        }
        if (rc != SQLITE_DONE) return std::nullopt;
        return values;
    } catch (...) {
        return std::nullopt;
    }
}

bool RegistryStore::saveKeyToFile(uint32_t root, std::u16string_view path,
                                  const std::filesystem::path& file) const noexcept {
    try {
        Subtree tree;
        {
            sqlite3* db = connection(file_, false);
            Transaction transaction(db, Transaction::Read);
            if (!transaction.ok()) return false;
            const auto key = findKey(db, root, path);
            if (!key || !readSubtree(db, *key, tree)) return false;
        }
        const auto bytes = serializeSubtree(tree);
        return bytes && replaceFileContent(file, *bytes);
    } catch (...) {
        return false;
    }
}

bool RegistryStore::restoreKeyFromFile(uint32_t root, std::u16string_view path,
                                       const std::filesystem::path& file,
                                       RestoreTarget target) noexcept {
    try {
        Subtree tree;
        if (!readSavedFile(file, tree)) return false;
        sqlite3* db = connection(file_, true);
        Transaction transaction(db, Transaction::Write);
        if (!transaction.ok()) return false;
        const auto key = target == RestoreTarget::MustExist ? findKey(db, root, path)
                                                            : createKeyPath(db, root, path);
        return key && emptyKey(db, *key) && writeSubtree(db, *key, tree) && transaction.commit();
    } catch (...) {
        return false;
    }
}

}  // namespace tlvx::platform
