#pragma once
// The one home of reads of the system's small text files: /proc (a
// process's stat and status, the boot id of platform/process/boot_id.h)
// and the machine id. Each is read whole through the regular-file opener
// (platform/descriptors/regular_file.h), so nothing here can make the
// caller wait; a /proc file's size of 0 is no bound on what it holds.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::proc {

// The whole file; nullopt when it is missing, not a regular file, larger
// than 1 MiB or unreadable.
std::optional<std::string> readSmallFile(const std::filesystem::path& path);

// The first line of the file, without its line end; empty when it cannot be
// read.
std::string firstLineOf(const std::filesystem::path& path);

// Field `field` (1-based, as proc(5) numbers them) of the text of a
// /proc/<pid>/stat file. The command name (field 2) is in parentheses and
// may hold anything, spaces and parentheses too: fields 3 and on are
// counted after its last ')'. Field 2 is the name without its parentheses.
// nullopt when the text has no such field.
std::optional<std::string> statField(std::string_view statText, int field);

// Field `field` of /proc/<pid>/stat; nullopt when the process does not run
// (or /proc cannot be read).
std::optional<std::string> processStatField(pid_t pid, int field);

// The value of the line "<name>:\t<value>" of /proc/self/status, without
// the blanks around it; nullopt when there is no such line.
std::optional<std::string> ownStatusField(std::string_view name);

// The status text's field: as ownStatusField, from a text already read.
std::optional<std::string> statusField(std::string_view statusText, std::string_view name);

// The program file this process runs (/proc/self/exe); nullopt when /proc
// does not tell it.
std::optional<std::filesystem::path> ownExecutable();

// The process's file-creation mask, read without changing it (umask(2)
// cannot be read without setting it, which would race with other threads);
// 022 when /proc does not tell it.
mode_t currentUmask();

}  // namespace tlvx::platform::proc
