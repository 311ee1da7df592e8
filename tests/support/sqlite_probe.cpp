#include "tests/support/sqlite_probe.h"

#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

namespace tlvx::test {

bool integrityChecked(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    const bool sound =
        sqlite3_step(check) == SQLITE_ROW &&
        std::string(reinterpret_cast<const char*>(sqlite3_column_text(check, 0))) == "ok";
    sqlite3_finalize(check);
    sqlite3_close(db);
    return sound;
}

bool execSql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    const bool ok =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool waitUntilWriteLocked(const std::filesystem::path& file, pid_t child) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 0);
    bool locked = false;
    for (;;) {
        const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_BUSY) {
            locked = true;
            break;
        }
        if (rc == SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (waitpid(child, nullptr, WNOHANG) == child) break;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    sqlite3_close(db);
    return locked;
}

bool writeHive(const std::filesystem::path& file, const std::vector<HiveKey>& keys,
               const std::vector<HiveValue>& values) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, R"sql(
        PRAGMA application_id = 1414288978; PRAGMA user_version = 1;
        CREATE TABLE reg_key(id INTEGER PRIMARY KEY, parent INTEGER, name TEXT NOT NULL);
        CREATE TABLE reg_value(id INTEGER PRIMARY KEY, key INTEGER NOT NULL,
                               name TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);
        BEGIN;)sql",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* key = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO reg_key(id, parent, name) VALUES (?1, ?2, ?3)", -1, &key,
                       nullptr);
    for (const HiveKey& k : keys) {
        sqlite3_bind_int64(key, 1, k.id);
        if (k.parent == 0) {
            sqlite3_bind_null(key, 2);
        } else {
            sqlite3_bind_int64(key, 2, k.parent);
        }
        sqlite3_bind_text(key, 3, k.name.data(), static_cast<int>(k.name.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(key) == SQLITE_DONE && ok;
        sqlite3_reset(key);
    }
    sqlite3_finalize(key);
    sqlite3_stmt* value = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO reg_value(key, name, type, data) VALUES (?1, ?2, ?3, ?4)",
                       -1, &value, nullptr);
    for (const HiveValue& v : values) {
        sqlite3_bind_int64(value, 1, v.key);
        sqlite3_bind_text(value, 2, v.name.data(), static_cast<int>(v.name.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int64(value, 3, v.type);
        sqlite3_bind_blob(value, 4, v.data.empty() ? "" : v.data.data(),
                          static_cast<int>(v.data.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(value) == SQLITE_DONE && ok;
        sqlite3_reset(value);
    }
    sqlite3_finalize(value);
    ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    sqlite3_close(db);
    return ok;
}

}  // namespace tlvx::test
