#pragma once
// References to environment variables in text, as the Windows environment
// functions expand them: %NAME% stands for the variable's value; a name
// that is not set, and a '%' without a partner, stay as written.

#include <string>
#include <string_view>

namespace tlvx::platform::environment {

// The text with every %NAME% of a set variable replaced by its value (the
// variable's bytes read as UTF-8). Names are matched exactly, as the
// environment of this system holds them.
std::u16string expandStrings(std::u16string_view text);

}  // namespace tlvx::platform::environment
