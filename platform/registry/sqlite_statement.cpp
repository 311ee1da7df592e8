#include "platform/registry/sqlite_statement.h"

namespace tlvx::platform::sqlite {

Statement::Statement(sqlite3* db, const char* sql) {
    if (!db || sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::bind(int index, int64_t value) {
    if (statement_) sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::bindText(int index, std::string_view text) {
    if (statement_) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    // A null pointer would bind NULL: an empty blob gets a non-null one.
    if (statement_) {
        sqlite3_bind_blob(statement_, index, bytes.empty() ? "" : bytes.data(),
                          static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (statement_) sqlite3_bind_null(statement_, index);
    return *this;
}

int Statement::step() {
    return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR;
}

void Statement::reset() {
    if (statement_) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
}

int64_t Statement::integer(int column) const {
    return statement_ ? sqlite3_column_int64(statement_, column) : 0;
}

std::string Statement::bytes(int column) const {
    if (!statement_) return {};
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                : std::string();
}

bool exec(sqlite3* db, const char* sql) {
    return db && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::optional<int64_t> queryInteger(sqlite3* db, const char* sql) {
    Statement s(db, sql);
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return s.integer(0);
}

Transaction::Transaction(sqlite3* db, Kind kind)
    : db_(db), open_(exec(db, kind == Write ? "BEGIN IMMEDIATE" : "BEGIN")) {}

Transaction::~Transaction() {
    if (open_) exec(db_, "ROLLBACK");
}

bool Transaction::commit() {
    if (!open_) return false;
    if (!exec(db_, "COMMIT")) return false;  // the destructor rolls back
    open_ = false;
    return true;
}

}  // namespace tlvx::platform::sqlite
