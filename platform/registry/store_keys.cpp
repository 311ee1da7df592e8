#include "platform/registry/store_keys.h"

#include <cstddef>
#include <vector>

#include "platform/registry/registry_store.h"
#include "platform/registry/store_connection.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform {
namespace store {
namespace {

using sqlite::Statement;

// The row id of a root; nullopt for a value that names no root. The ids
// follow from the HKEY values (see the schema in store_connection.cpp).
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

std::optional<int64_t> findChild(sqlite3* db, int64_t parent, std::u16string_view name) {
    Statement s(db, "SELECT id FROM reg_key WHERE parent = ?1 AND folded = ?2");
    s.bind(1, parent).bindText(2, folded(name));
    const int rc = s.step();
    if (rc == SQLITE_ROW) return s.integer(0);
    check(db, rc == SQLITE_DONE);  // a failed look-up is no missing key
    return std::nullopt;
}

int64_t insertChild(sqlite3* db, int64_t parent, std::u16string_view name) {
    Statement s(db, "INSERT INTO reg_key(parent, name, folded) VALUES (?1, ?2, ?3)");
    s.bind(1, parent).bindText(2, unicode::utf16ToUtf8(name)).bindText(3, folded(name));
    check(db, s.run());
    return sqlite3_last_insert_rowid(db);
}

// The value `name` of the key; nullopt when it is missing.
std::optional<RegistryValue> readValue(sqlite3* db, int64_t key, std::u16string_view name) {
    Statement s(db, "SELECT type, data FROM reg_value WHERE key = ?1 AND folded = ?2");
    s.bind(1, key).bindText(2, folded(name));
    const int rc = s.step();
    if (rc == SQLITE_ROW) return RegistryValue{static_cast<uint32_t>(s.integer(0)), s.bytes(1)};
    check(db, rc == SQLITE_DONE);
    return std::nullopt;
}

// Sets the value; an existing value keeps its row, hence its place and the
// case of its name.
void upsertValue(sqlite3* db, int64_t key, std::u16string_view name, const RegistryValue& value) {
    Statement upsert(db, R"sql(
        INSERT INTO reg_value(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5)
        ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data)sql");
    upsert.bind(1, key)
        .bindText(2, unicode::utf16ToUtf8(name))
        .bindText(3, folded(name))
        .bind(4, value.type)
        .bindBlob(5, value.data);
    check(db, upsert.run());
}

// Removes the value; false when it was missing.
bool removeValue(sqlite3* db, int64_t key, std::u16string_view name) {
    Statement remove(db, "DELETE FROM reg_value WHERE key = ?1 AND folded = ?2");
    remove.bind(1, key).bindText(2, folded(name));
    check(db, remove.run());
    return sqlite3_changes(db) > 0;
}

// The names `sql` lists for the key; nullopt when it does not exist.
std::optional<std::vector<std::u16string>> namesIn(sqlite3* db, uint32_t root,
                                                   std::u16string_view path, const char* sql) {
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

}  // namespace

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

// SQLite's NOCASE folds ASCII only, so the folding is done here.
std::string folded(std::u16string_view name) {
    std::u16string upper(name);
    for (char16_t& c : upper) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogates stay as they are
        const char32_t u = unicode::toUpper(static_cast<char32_t>(c));
        if (u <= 0xFFFF && !(u >= 0xD800 && u <= 0xDFFF)) c = static_cast<char16_t>(u);
    }
    return unicode::utf16ToUtf8(upper);
}

bool isKeyName(std::u16string_view name) {
    return !name.empty() && name.size() <= kMaxNameLength &&
           name.find(u'\\') == std::u16string_view::npos;
}

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

int64_t createKeyPath(sqlite3* db, uint32_t root, std::u16string_view path) {
    const auto row = rootRow(root);
    if (!row) fail("there is no such root");
    const auto names = splitPath(path);
    if (!names) fail("a key name is longer than 255 characters");
    int64_t key = *row;
    for (const auto name : *names) {
        const auto child = findChild(db, key, name);
        key = child ? *child : insertChild(db, key, name);
    }
    return key;
}

int64_t existingKey(sqlite3* db, uint32_t root, std::u16string_view path) {
    const auto key = findKey(db, root, path);
    if (!key) fail("the key does not exist");
    return *key;
}

void emptyKey(sqlite3* db, int64_t key) {
    Statement values(db, "DELETE FROM reg_value WHERE key = ?1");
    Statement keys(db, "DELETE FROM reg_key WHERE parent = ?1");
    values.bind(1, key);
    keys.bind(1, key);
    check(db, values.run() && keys.run());
}

void writeMissingValues(sqlite3* db, const std::vector<ValueWrite>& writes) {
    for (const ValueWrite& w : writes) {
        const int64_t key = createKeyPath(db, w.root, w.path);
        if (!readValue(db, key, w.name)) upsertValue(db, key, w.name, w.value);
    }
}

}  // namespace store

StoreResult RegistryStore::createKey(uint32_t root, std::u16string_view path) noexcept {
    return store::write(file_, [&](sqlite3* db) { store::createKeyPath(db, root, path); });
}

bool RegistryStore::keyExists(uint32_t root, std::u16string_view path) const noexcept {
    return store::read(file_,
                       [&](sqlite3* db) { return store::findKey(db, root, path).has_value(); });
}

StoreResult RegistryStore::deleteKey(uint32_t root, std::u16string_view path) noexcept {
    return store::write(file_, [&](sqlite3* db) {
        const int64_t key = store::existingKey(db, root, path);
        if (key == store::rootRow(root)) store::fail("a root cannot be deleted");
        sqlite::Statement remove(db, "DELETE FROM reg_key WHERE id = ?1");
        remove.bind(1, key);
        store::check(db, remove.run());
    });
}

StoreResult RegistryStore::setValue(uint32_t root, std::u16string_view path,
                                    std::u16string_view name, const RegistryValue& value) noexcept {
    return store::write(file_, [&](sqlite3* db) {
        store::upsertValue(db, store::createKeyPath(db, root, path), name, value);
    });
}

StoreResult RegistryStore::setValues(const std::vector<ValueWrite>& writes) noexcept {
    return store::write(file_, [&](sqlite3* db) {
        for (const ValueWrite& w : writes) {
            store::upsertValue(db, store::createKeyPath(db, w.root, w.path), w.name, w.value);
        }
    });
}

StoreResult RegistryStore::removeUnchanged(const std::vector<ValueRemoval>& values,
                                           const std::vector<KeyRef>& keysIfEmpty) noexcept {
    return store::write(file_, [&](sqlite3* db) {
        for (const ValueRemoval& v : values) {
            const auto key = store::findKey(db, v.root, v.path);
            if (key && store::readValue(db, *key, v.name) == v.expected) {
                store::removeValue(db, *key, v.name);
            }
        }
        for (const KeyRef& k : keysIfEmpty) {
            const auto key = store::findKey(db, k.root, k.path);
            if (!key || key == store::rootRow(k.root)) continue;
            sqlite::Statement remove(db, R"sql(
                DELETE FROM reg_key WHERE id = ?1
                  AND NOT EXISTS (SELECT 1 FROM reg_key WHERE parent = ?1)
                  AND NOT EXISTS (SELECT 1 FROM reg_value WHERE key = ?1))sql");
            remove.bind(1, *key);
            store::check(db, remove.run());
        }
    });
}

std::optional<RegistryValue> RegistryStore::getValue(uint32_t root, std::u16string_view path,
                                                     std::u16string_view name) const noexcept {
    return lookupValue(root, path, name).value;
}

ValueLookup RegistryStore::lookupValue(uint32_t root, std::u16string_view path,
                                       std::u16string_view name) const noexcept {
    return store::read(file_, [&](sqlite3* db) -> ValueLookup {
        const auto key = store::findKey(db, root, path);
        if (!key) return {};
        return {true, store::readValue(db, *key, name)};
    });
}

StoreResult RegistryStore::updateValues(uint32_t root, std::u16string_view path,
                                        const std::vector<std::u16string>& names,
                                        const ValueChange& change) noexcept {
    return store::write(file_, [&](sqlite3* db) {
        std::optional<int64_t> key = store::findKey(db, root, path);
        std::vector<std::optional<RegistryValue>> before;
        for (const auto& name : names) {
            before.push_back(key ? store::readValue(db, *key, name) : std::nullopt);
        }
        const auto after = change(before);
        if (after.size() != names.size())
            store::fail("the change does not give one value for each name");
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (after[i] == before[i]) continue;
            if (!after[i]) {
                store::removeValue(db, *key, names[i]);  // it was there, so was its key
                continue;
            }
            if (!key) key = store::createKeyPath(db, root, path);
            store::upsertValue(db, *key, names[i], *after[i]);
        }
    });
}

StoreResult RegistryStore::deleteValue(uint32_t root, std::u16string_view path,
                                       std::u16string_view name) noexcept {
    return store::write(file_, [&](sqlite3* db) {
        if (!store::removeValue(db, store::existingKey(db, root, path), name)) {
            store::fail("the value does not exist");
        }
    });
}

std::optional<std::vector<std::u16string>> RegistryStore::subkeyNames(
    uint32_t root, std::u16string_view path) const noexcept {
    return store::read(file_, [&](sqlite3* db) {
        return store::namesIn(db, root, path,
                              "SELECT name FROM reg_key WHERE parent = ?1 ORDER BY id");
    });
}

std::optional<std::vector<std::u16string>> RegistryStore::valueNames(
    uint32_t root, std::u16string_view path) const noexcept {
    return store::read(file_, [&](sqlite3* db) {
        return store::namesIn(db, root, path,
                              "SELECT name FROM reg_value WHERE key = ?1 ORDER BY id");
    });
}

std::optional<std::vector<NamedValue>> RegistryStore::values(
    uint32_t root, std::u16string_view path) const noexcept {
    return store::read(file_, [&](sqlite3* db) -> std::optional<std::vector<NamedValue>> {
        const auto key = store::findKey(db, root, path);
        if (!key) return std::nullopt;
        sqlite::Statement s(db,
                            "SELECT name, type, data FROM reg_value WHERE key = ?1 ORDER BY id");
        s.bind(1, *key);
        std::vector<NamedValue> values;
        int rc;
        while ((rc = s.step()) == SQLITE_ROW) {
            values.push_back({unicode::utf8ToUtf16(s.bytes(0)),
                              RegistryValue{static_cast<uint32_t>(s.integer(1)), s.bytes(2)}});
        }
        if (rc != SQLITE_DONE) return std::nullopt;
        return values;
    });
}

}  // namespace tlvx::platform
