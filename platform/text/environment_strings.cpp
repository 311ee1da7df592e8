#include "platform/text/environment_strings.h"

#include <algorithm>
#include <cstdlib>

#include "platform/text/unicode_text.h"

namespace tlvx::platform::environment {

bool namesWindowsFolder(std::u16string_view name) {
    constexpr std::u16string_view kNames[] = {u"SystemRoot", u"windir"};
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; };
    for (const std::u16string_view known : kNames) {
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(),
                       [&](char16_t a, char16_t b) { return lower(a) == lower(b); })) {
            return true;
        }
    }
    return false;
}

std::u16string expandStrings(std::u16string_view text, std::u16string_view windowsFolder) {
    std::u16string result;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find(u'%', pos);
        const size_t close = open == std::u16string_view::npos ? open : text.find(u'%', open + 1);
        if (close == std::u16string_view::npos) break;
        result.append(text, pos, open - pos);
        const std::u16string_view name = text.substr(open + 1, close - open - 1);
        // A name holding NUL cannot be looked up; it names no variable.
        const char* value = name.empty() || name.find(u'\0') != std::u16string_view::npos
                                ? nullptr
                                : std::getenv(unicode::utf16ToUtf8(name).c_str());
        if (value) {
            result += unicode::utf8ToUtf16(value);
        } else if (!windowsFolder.empty() && namesWindowsFolder(name)) {
            result += windowsFolder;
        } else {
            result.append(text, open, close - open + 1);
        }
        pos = close + 1;
    }
    result.append(text, pos, std::u16string_view::npos);
    return result;
}

}  // namespace tlvx::platform::environment
