#pragma once
// Looks into SQLite files from outside the code under test: whether a
// database is sound, when another process holds its write lock, and hive
// files made by hand, as another program (or a damaged disk) might leave
// them.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tlvx::test {

// True when SQLite's integrity check finds nothing wrong.
bool integrityChecked(const std::filesystem::path& file);

// Runs statements on the database; true when all of them succeeded.
bool execSql(const std::filesystem::path& file, const char* sql);

// Waits until another process holds the write lock of the database; false
// (with the child reaped) when the child ended before that was seen.
bool waitUntilWriteLocked(const std::filesystem::path& file, pid_t child);

// A hive file written row by row: keys with their ids and parents (0 for
// the top key), values with the id of their key. Names are UTF-8.
struct HiveKey {
    int64_t id;
    int64_t parent;
    std::string name;
};
struct HiveValue {
    int64_t key;
    std::string name;
    int64_t type;
    std::string data;
};
bool writeHive(const std::filesystem::path& file, const std::vector<HiveKey>& keys,
               const std::vector<HiveValue>& values);

}  // namespace tlvx::test
