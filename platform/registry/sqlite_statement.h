#pragma once
// Small RAII helpers over the SQLite C interface: a connection that closes
// itself, prepared statements with chained binding, and transactions that
// roll back unless committed. Nothing here throws.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::sqlite {

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

// A prepared statement. One that failed to prepare binds nothing and steps
// to SQLITE_ERROR, so callers check the result of step() or run() only.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return statement_ != nullptr; }

    Statement& bind(int index, int64_t value);
    Statement& bindText(int index, std::string_view text);
    // A zero-length blob stays a blob, never NULL.
    Statement& bindBlob(int index, std::string_view bytes);
    Statement& bindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // True when the statement ran to its end.
    bool run() { return step() == SQLITE_DONE; }
    // Ready to run again, with no values bound.
    void reset();

    int64_t integer(int column) const;
    std::string bytes(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
};

// Runs statements that return no rows; true when all of them succeeded.
bool exec(sqlite3* db, const char* sql);
// The single integer a statement such as "PRAGMA user_version" answers.
std::optional<int64_t> queryInteger(sqlite3* db, const char* sql);

// A transaction rolled back unless committed. A write transaction takes the
// write lock at once (BEGIN IMMEDIATE), so that it waits for other writers
// at its start (for the connection's busy timeout) and never fails half-way
// for a lock. A null connection gives a transaction that is not ok().
class Transaction {
public:
    enum Kind { Read, Write };
    Transaction(sqlite3* db, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool ok() const { return open_; }
    bool commit();

private:
    sqlite3* db_;
    bool open_;
};

}  // namespace tlvx::platform::sqlite
