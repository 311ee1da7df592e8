#pragma once
// References to environment variables in text, as the Windows environment
// functions expand them: %NAME% stands for the variable's value; a name
// that is not set, and a '%' without a partner, stay as written.
//
// Windows defines some names on every machine, whatever the environment
// holds: SystemRoot and windir name the Windows folder. Here they stand for
// the Windows folder the caller passes in (the registry room knows where it
// lies) unless the environment sets them.

#include <string>
#include <string_view>

namespace tlvx::platform::environment {

// True for a name Windows always defines as the Windows folder (SystemRoot,
// windir; compared without regard to ASCII case, as Windows compares them).
bool namesWindowsFolder(std::u16string_view name);

// The text with every %NAME% of a set variable replaced by its value (the
// variable's bytes read as UTF-8). Names are matched exactly, as the
// environment of this system holds them; a name of the Windows folder that
// the environment does not set stands for `windowsFolder` when that is not
// empty.
std::u16string expandStrings(std::u16string_view text, std::u16string_view windowsFolder = {});

}  // namespace tlvx::platform::environment
