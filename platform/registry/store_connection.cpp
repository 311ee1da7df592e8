#include "platform/registry/store_connection.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/registry/system_databases.h"
#include "platform/shell/system_folders.h"
#include "platform/text/percent_encoding.h"

namespace tlvx::platform {
namespace store {
namespace {

using sqlite::Database;
using sqlite::exec;
using sqlite::Transaction;

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

constexpr const char* kNewerStore = "the store was made by a later version of the program";
constexpr const char* kReadOnly = "the store is read-only";

bool createSchema(sqlite3* db) {
    Transaction transaction(db, Transaction::Write);
    if (!transaction.ok() || !exec(db, kSchema)) return false;
    const std::string setVersion = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
    return exec(db, setVersion.c_str()) && transaction.commit();
}

// SQLite's message for the connection, or `fallback` without one.
std::string messageOf(sqlite3* db, const char* fallback) {
    return db ? sqlite3_errmsg(db) : fallback;
}

// Opens the store's database, creating the file (and its folders) when
// `create` is set, and makes sure the tables exist; null, with the reason
// in `why`, when that fails.
Database openStore(const std::filesystem::path& file, bool create, std::string& why) {
    if (create) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
    }
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) {
        why = messageOf(db.get(), "out of memory");
        return nullptr;
    }
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
            if (*version > kSchemaVersion) {
                why = kNewerStore;
                return nullptr;
            }
            if (*version == kSchemaVersion || createSchema(db.get())) {
                // The databases every store holds; a store that cannot take
                // them now (read-only, busy) is still used as it is.
                (void)provideSystemDatabases(db.get(), file);
                return db;
            }
        }
        if (!busy() || attempt >= kAttempts) {  // not ours, or stuck
            why = sqlite3_errmsg(db.get());
            return nullptr;
        }
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
        // A store that is not made yet reads as one just made.
        if (db) {
            try {
                writeSystemDatabases(db.get());
            } catch (...) {
                db.reset();
            }
        }
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

    // Null, with the reason in `why`, when the store cannot be opened.
    sqlite3* get(const std::filesystem::path& file, bool forWrite, std::string& why) {
        dropSnapshot();
        struct stat info;
        const bool exists = ::stat(file.c_str(), &info) == 0;
        if (db_ && (pid_ != getpid() || !exists || path_ != file.native() || dev_ != info.st_dev ||
                    ino_ != info.st_ino)) {
            drop();
        }
        if (db_) return db_.get();
        if (!exists && !forWrite) return emptyStore();
        db_ = openStore(file, forWrite, why);
        if (!db_ && !forWrite && !mayWrite(file)) {
            snapshot_ = openSnapshot(file);
            snapshotPid_ = getpid();
            return snapshot_.get();
        }
        if (!db_) return nullptr;
        if (::stat(file.c_str(), &info) != 0) {
            why = "the store's file disappeared while it was opened";
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

}  // namespace

void fail(const std::string& reason) {
    throw StoreError(reason);
}

void check(sqlite3* db, bool ok) {
    if (!ok) fail(messageOf(db, "no connection to the store"));
}

sqlite3* connect(const std::filesystem::path& file, Access access) {
    thread_local ConnectionCache cache;
    const bool forWrite = access == Access::Write;
    std::string why;
    sqlite3* db = cache.get(file, forWrite, why);
    if (forWrite && (!db || sqlite3_db_readonly(db, "main") == 1) && !mayWrite(file)) {
        fail(kReadOnly);
    }
    if (!db) fail(why.empty() ? "the store cannot be opened" : why);
    if (forWrite && sqlite3_db_readonly(db, "main") == 1) fail(kReadOnly);
    return db;
}

StoreResult currentFailure() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return StoreResult::failure("out of memory");
    } catch (const std::exception& e) {
        return StoreResult::failure(e.what());
    } catch (...) {
        return StoreResult::failure("the work on the store failed");
    }
}

}  // namespace store

StoreResult StoreResult::failure(std::string reason) noexcept {
    StoreResult result;
    result.failed_ = true;
    result.reason_ = std::move(reason);
    return result;
}

RegistryStore::RegistryStore() : file_(userDatabaseFile()) {}

RegistryStore::RegistryStore(std::filesystem::path databaseFile) : file_(std::move(databaseFile)) {}

bool RegistryStore::hasBeenWritten() const noexcept {
    std::error_code ec;
    const bool exists = std::filesystem::exists(file_, ec);
    return exists || ec;
}

std::filesystem::path RegistryStore::userDatabaseFile() {
    const char* overridden = std::getenv("TLVX_REGISTRY");
    if (overridden && *overridden) return overridden;
    return folders::userDataHome() / "tallyvex" / "registry.sqlite";
}

}  // namespace tlvx::platform
