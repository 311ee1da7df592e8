#pragma once
// The language runtime's directory listing (Dir): the first file a path
// names, where the last component may hold the wildcards '*' (any run of
// characters) and '?' (one character). Names match without regard to
// letter case; only files are listed, never folders.

#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform::dir {

bool hasWildcards(std::u16string_view winPath);

// The name of the first matching file (in no particular order when
// wildcards are given); nullopt when none matches or the folder does not
// exist.
std::optional<std::u16string> firstMatch(std::u16string_view winPath);

// Whether `name` matches `pattern` ('*', '?'), letter case ignored.
bool matches(std::u16string_view pattern, std::u16string_view name);

}  // namespace tlvx::platform::dir
