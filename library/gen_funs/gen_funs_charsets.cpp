// GetCharsetList: the code pages of the system's character-set database,
// read through the Registry class, their descriptions resolved through the
// string module of the Windows folder with the APIFuns string methods.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "library/api_funs/api_funs.h"
#include "library/frame/continue_on_error.h"
#include "library/gen_funs/gen_funs.h"
#include "library/registry/registry.h"
#include "platform/automation/number_text.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/system_environment.h"
#include "platform/text/unicode_text.h"

namespace tlvx::library {
namespace {

constexpr std::u16string_view kDatabase = u"MIME\\Database\\Codepage";

std::vector<std::u16string> split(const std::u16string& text, std::u16string_view separator) {
    std::vector<std::u16string> pieces;
    if (text.empty()) return pieces;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::u16string::npos;
         at = text.find(separator, start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

// The number of the string a description refers to ("@%SystemRoot%\...
// \mlang.dll,-4611" refers to 4611): what follows ".dll," in the lower-cased
// text, read as a number without its sign. nullopt when there is none or it
// is no 32-bit number.
std::optional<int32_t> stringNumber(const std::u16string& lowered) {
    constexpr std::u16string_view kModule = u".dll,";
    const auto at = lowered.find(kModule);
    if (at == std::u16string::npos) return std::nullopt;
    std::u16string rest = lowered.substr(at + kModule.size());
    rest = rest.substr(0, rest.find(kModule));
    const auto number = platform::automation::parseNumber(rest);
    if (!number) return std::nullopt;
    const double value = std::abs(number->toReal());
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(std::nearbyint(value));  // halves to even, as CLng
}

}  // namespace

std::u16string GenFuns::GetCharsetList() noexcept {
    return continueOnError(std::u16string(), [] {
        Registry registry;
        APIFuns api;
        const auto root = platform::regroot::ClassesRoot;
        const auto names =
            split(registry.EnumerateRegKeys(root, std::u16string(kDatabase)), u"*SK*");
        const int32_t module =
            api.LoadDLL(platform::sysenv::variable(u"WinDir") + u"\\system32\\mlang.dll");
        std::u16string list;
        for (const std::u16string& name : names) {
            const std::u16string key = std::u16string(kDatabase) + u"\\" + name;
            list += registry.ReadRegKey(root, key, u"BodyCharset", u"");
            std::u16string description = registry.ReadRegKey(root, key, u"Description", u"");
            // "@%" starts a reference into a string table.
            if (description.starts_with(u"@%")) {
                description = platform::unicode::toLower(description);
                if (const auto number = stringNumber(description)) {
                    description = api.GetDLLString(module, *number);
                }
            }
            list += u" | " + description + u" || ";
        }
        api.UnloadDLL(module);
        if (list.size() >= 4) list.resize(list.size() - 4);
        return list;
    });
}

}  // namespace tlvx::library
