#include "platform/registry/system_environment.h"

#include <cstdio>
#include <cstdlib>

#include "platform/registry/registry_store.h"
#include "platform/text/environment_strings.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::sysenv {

std::filesystem::path windowsFolderOf(const std::filesystem::path& storeFile) {
    return storeFile.parent_path() / "windows";
}

std::filesystem::path installedWindowsFolder() {
    return windowsFolderOf(RegistryStore::userDatabaseFile());
}

std::u16string variable(std::u16string_view name) {
    const std::string utf8 = unicode::utf16ToUtf8(name);
    if (const char* value = std::getenv(utf8.c_str())) return unicode::utf8ToUtf16(value);
    if (name == u"WinDir") return unicode::utf8ToUtf16(installedWindowsFolder().string());
    return {};
}

std::u16string expandStrings(std::u16string_view text) {
    // Only a text that refers to something pays for the lookup.
    if (text.find(u'%') == std::u16string_view::npos) return std::u16string(text);
    return environment::expandStrings(text, variable(u"WinDir"));
}

std::filesystem::path systemTempFolder() {
    return P_tmpdir;
}

std::vector<ValueWrite> environmentValues() {
    const std::u16string key(kEnvironmentKey);
    const auto temp = RegistryValue::fromString(unicode::utf8ToUtf16(systemTempFolder().string()),
                                                regtype::ExpandSz);
    return {{regroot::LocalMachine, key, u"TEMP", temp},
            {regroot::LocalMachine, key, u"TMP", temp}};
}

}  // namespace tlvx::platform::sysenv
