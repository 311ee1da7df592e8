#pragma once
// The registry store's database: its file, its tables, the connection each
// thread keeps to it, and the transactions every read and write runs in.
//
// Layout of the database. Every key is a row of reg_key; the five roots are
// rows without a parent whose ids follow from their HKEY values, so that
// every real key has a parent and the unique index (parent, folded) keeps
// names unique per parent. Rows get increasing ids, so ordering by id is
// the order of creation. Deleting a key deletes its subtree through the
// foreign keys.
//
// Work inside a transaction stops at a failure by throwing StoreError (see
// fail and check); transact() catches whatever the work throws, so nothing
// passes beyond it.

#include <sqlite3.h>

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/registry/registry_store.h"
#include "platform/registry/sqlite_statement.h"

namespace tlvx::platform::store {

inline constexpr int kSchemaVersion = 1;
inline constexpr int kBusyTimeoutMs = 5000;

// Why work on the store stopped.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& reason);
// Fails with SQLite's message for the connection unless `ok`.
void check(sqlite3* db, bool ok);

// The connection this thread keeps to the store in `file`. For reading, a
// store that does not exist reads as an empty one, and one this process may
// not write is read as it stands on disk. Throws StoreError when the store
// cannot be opened (for writing: also when it may not be written).
enum class Access { Read, Write };
sqlite3* connect(const std::filesystem::path& file, Access access);

// The failure the exception being handled stands for.
StoreResult currentFailure() noexcept;

// Runs `work(db)` in a transaction of the access asked for and commits it.
// Any failure (the work throwing included) rolls the transaction back and
// is answered with its reason.
template <class Work>
StoreResult transact(const std::filesystem::path& file, Access access, Work&& work) noexcept {
    try {
        sqlite3* db = connect(file, access);
        sqlite::Transaction transaction(
            db, access == Access::Write ? sqlite::Transaction::Write : sqlite::Transaction::Read);
        check(db, transaction.ok());
        work(db);
        check(db, transaction.commit());
        return {};
    } catch (...) {
        return currentFailure();
    }
}

// The write every change of the store is: all of it or nothing.
template <class Work>
StoreResult write(const std::filesystem::path& file, Work&& work) noexcept {
    return transact(file, Access::Write, std::forward<Work>(work));
}

// What `work(db)` answers from one moment of the store; a default-made
// answer when the store cannot be read or the work fails.
template <class Work>
auto read(const std::filesystem::path& file, Work&& work) noexcept
    -> std::invoke_result_t<Work, sqlite3*> {
    std::invoke_result_t<Work, sqlite3*> answer{};
    (void)transact(file, Access::Read, [&](sqlite3* db) { answer = work(db); });
    return answer;
}

}  // namespace tlvx::platform::store
