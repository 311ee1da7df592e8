#pragma once
// String modules: files that hold a table of numbered UTF-16 strings, the
// counterpart of a resource-only DLL's string table. A program loads a
// module, reads strings by number and frees it again; `tlvx-strings` builds
// modules from a text listing.
//
// The file, all numbers little-endian:
//
//   offset 0   8 bytes   "TLVXSTRS"
//          8   uint32    format version, 1
//         12   uint32    N, the number of strings
//         16   N * 12    entries: uint32 number, uint32 start, uint32 length,
//                        numbers strictly ascending; start and length count
//                        UTF-16 units from the beginning of the text area
//   16 + 12N   ...       the text area: UTF-16LE units, to the end of the file
//
// A file that breaks any of these rules (another magic or version, numbers
// out of order, a string beyond the text area, an odd-sized text area) is
// no string module. Modules are at most 64 MiB.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::strings {

using StringTable = std::map<std::uint32_t, std::u16string>;

// The bytes of a module holding `table`.
std::string encodeStringModule(const StringTable& table);
// The table of a module's bytes; nullopt when they are no string module.
std::optional<StringTable> decodeStringModule(std::string_view bytes);

// Writes `table` as the module `file`: to a new file beside it, renamed over
// it once complete, so an existing module is replaced whole or not at all.
// False when the file could not be written (it is then unchanged).
bool writeStringModule(const std::filesystem::path& file, const StringTable& table) noexcept;
// The table of the module `file`; nullopt when it is missing, no regular
// file, too large or no string module.
std::optional<StringTable> readStringModule(const std::filesystem::path& file) noexcept;

// Loaded modules, shared by the whole process. A handle is a positive
// number, never 0. Loading the same file again, unchanged, while it is
// loaded gives the same handle and counts one more use; each use is ended by
// one unload. A file replaced or changed on disk since is a new module with a
// handle of its own.

// The handle of the loaded module; 0 when `file` is no readable string
// module.
std::int32_t loadStringModule(const std::filesystem::path& file) noexcept;
// The string `number` of a loaded module; nullopt when the handle names no
// loaded module or the module has no such string.
std::optional<std::u16string> moduleString(std::int32_t handle, std::uint32_t number) noexcept;
// Ends one use of the module; it is dropped with its last use. False for a
// handle that names no loaded module.
bool unloadStringModule(std::int32_t handle) noexcept;

}  // namespace tlvx::platform::strings
