#pragma once
// The databases every Windows machine keeps in its registry whether or not
// any component was ever registered: the character-set database
// (codepage_database.h, with the string module its descriptions refer to)
// and the Session Manager's environment (system_environment.h).
//
// They belong to the store, not to registration: a store gets them when it
// is made, and a store made without them (by an older version) when it is
// first opened. A mark in the store (the table store_databases) says they
// were written, so that an opening costs one look at the schema and a key
// or value someone removed later is not brought back. A value that exists
// already keeps what it holds.

#include <sqlite3.h>

#include <filesystem>

namespace tlvx::platform::store {

// Writes the databases into the store `db` of the file `file` unless its
// mark says they are there, in one write transaction together with the
// mark, and the string module into the Windows folder beside `file` when
// no file has its name. False when that fails: the store stays as it was
// and the next opening tries again.
bool provideSystemDatabases(sqlite3* db, const std::filesystem::path& file) noexcept;

// Writes the databases' keys and values into `db`, the store that a store
// without a file reads as. Its Windows folder does not exist, so the
// descriptions are written as text rather than as references into the
// string module. Throws StoreError when SQLite fails.
void writeSystemDatabases(sqlite3* db);

}  // namespace tlvx::platform::store
