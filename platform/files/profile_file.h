#pragma once
// Profile (INI) files with the rules of the Windows profile functions:
// section and key names compared without regard to case; the first matching
// section and key win; the value is the text after the first '=' with spaces
// at both ends removed and one enclosing pair of double or single quotes
// dropped; lines before any section belong to no section; a missing file,
// section or key gives the default. Text is ANSI (code page 1252) bytes.
//
// A line ends at CR LF, a lone CR or a lone LF. A section line starts, after
// spaces, with '[' and names the text up to the next ']'; a line without '='
// names no key. Values longer than 65534 bytes are cut to that length. A
// file that starts with a UTF-8 or UTF-16 byte-order mark is read in that
// encoding and its text converted to the code page.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::profile {

std::string readString(const std::filesystem::path& file, std::string_view section,
                       std::string_view key, std::string_view defaultValue = {});

// Sets `key` in `section` to `value`, creating the file, the section (at the
// end of the file) and the key (after the section's last line) as needed and
// replacing the first matching key's line otherwise. A null value removes
// that key's line; a null key removes the whole first matching section.
// Every other byte of the file stays as it was; new lines end with CR LF; the
// file is rewritten through a replacement and keeps its encoding. False when
// the file cannot be read or written, when it has no write permission bit
// (read-only, whoever asks), when a text holds a line break or NUL,
// when a key holds '=', or when the file holds text its encoding would lose
// in the code page.
bool writeString(const std::filesystem::path& file, std::string_view section,
                 std::optional<std::string_view> key, std::optional<std::string_view> value);

}  // namespace tlvx::platform::profile
