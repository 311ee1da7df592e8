#include "platform/registry/system_databases.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/registry/codepage_database.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/sqlite_statement.h"
#include "platform/registry/store_connection.h"
#include "platform/registry/store_keys.h"
#include "platform/registry/system_environment.h"

namespace tlvx::platform::store {
namespace {

constexpr const char* kMarkTable = "store_databases";

bool isMarked(sqlite3* db) {
    sqlite::Statement look(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    look.bindText(1, kMarkTable);
    return look.step() == SQLITE_ROW;
}

void writeDatabases(sqlite3* db, const std::vector<codepages::CodePage>& codePages,
                    codepages::Descriptions descriptions) {
    writeMissingValues(db, codepages::databaseValues(codePages, descriptions));
    writeMissingValues(db, sysenv::environmentValues());
}

// The string module beside the store, unless a file has its name already.
void provideStringModule(const std::filesystem::path& file,
                         const std::vector<codepages::CodePage>& codePages) {
    const auto module = codepages::stringModuleFile(sysenv::windowsFolderOf(file));
    std::error_code ec;
    if (std::filesystem::symlink_status(module, ec).type() != std::filesystem::file_type::not_found)
        return;
    // A module that cannot be written leaves the descriptions without their
    // strings, not the store without its databases.
    (void)codepages::installStringModule(module, codePages);
}

}  // namespace

bool provideSystemDatabases(sqlite3* db, const std::filesystem::path& file) noexcept {
    try {
        if (isMarked(db)) return true;
        const auto codePages = codepages::availableCodePages();
        sqlite::Transaction transaction(db, sqlite::Transaction::Write);
        if (!transaction.ok()) return false;
        // Another process may have written them while this one waited.
        if (isMarked(db)) return true;
        provideStringModule(file, codePages);
        writeDatabases(db, codePages, codepages::Descriptions::InModule);
        const std::string mark = std::string("CREATE TABLE ") + kMarkTable + "(written INTEGER)";
        return sqlite::exec(db, mark.c_str()) && transaction.commit();
    } catch (...) {
        return false;
    }
}

void writeSystemDatabases(sqlite3* db) {
    writeDatabases(db, codepages::availableCodePages(), codepages::Descriptions::Inline);
}

}  // namespace tlvx::platform::store
