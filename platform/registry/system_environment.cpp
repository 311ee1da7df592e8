#include "platform/registry/system_environment.h"

#include <cstdio>
#include <cstdlib>

#include "platform/registry/registry_store.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::sysenv {

std::filesystem::path installedWindowsFolder() {
    return RegistryStore::userDatabaseFile().parent_path() / "windows";
}

std::u16string variable(std::u16string_view name) {
    const std::string utf8 = unicode::utf16ToUtf8(name);
    if (const char* value = std::getenv(utf8.c_str())) return unicode::utf8ToUtf16(value);
    if (name == u"WinDir") return unicode::utf8ToUtf16(installedWindowsFolder().string());
    return {};
}

std::filesystem::path systemTempFolder() {
    return P_tmpdir;
}

RegistrationKey environmentRegistration(HRESULT failure) {
    const std::u16string temp = unicode::utf8ToUtf16(systemTempFolder().string());
    return {std::u16string(kEnvironmentKey),
            failure,
            {{u"", u"TEMP", temp, regtype::ExpandSz}, {u"", u"TMP", temp, regtype::ExpandSz}},
            regroot::LocalMachine};
}

}  // namespace tlvx::platform::sysenv
