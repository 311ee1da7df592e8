#include "library/frame/registration.h"

#include <new>
#include <string>

#include "include/tallyvex/Morcel_TLVX.h"
#include "library/frame/class_list.h"
#include "platform/automation/guid_text.h"
#include "platform/automation/raised_error.h"
#include "platform/registry/class_registration.h"
#include "platform/text/unicode_text.h"

namespace tlvx::library::frame {
namespace {

using platform::automation::formatGuid;

constexpr std::u16string_view kLibraryDescription = u"Zentor Foundation Classes for Tallyvex.";
constexpr std::u16string_view kLibraryVersion = u"1.0";
constexpr std::u16string_view kProgIdPrefix = u"Morcel_TLVX.";
// The automation marshaler, proxy and stub of every dual interface.
constexpr std::u16string_view kAutomationMarshaler = u"{00020424-0000-0000-C000-000000000046}";

platform::Registration registrationOf(const std::filesystem::path& module) {
    const std::u16string path = platform::unicode::utf8ToUtf16(module.string());
    const std::u16string folder = platform::unicode::utf8ToUtf16(module.parent_path().string());
    const std::u16string libid = formatGuid(LIBID_Morcel_TLVX);
    const std::u16string version(kLibraryVersion);

    platform::Registration keys;
    keys.push_back({u"TypeLib\\" + libid,
                    SELFREG_E_TYPELIB,
                    {{version, u"", std::u16string(kLibraryDescription)},
                     {version + u"\\0\\win64", u"", path},
                     {version + u"\\FLAGS", u"", u"0"},
                     {version + u"\\HELPDIR", u"", folder}}});
    for (const ComponentClass& c : componentClasses()) {
        const std::u16string progId = std::u16string(kProgIdPrefix) + c.name;
        const std::u16string clsid = formatGuid(*c.clsid);
        keys.push_back({u"CLSID\\" + clsid,
                        SELFREG_E_CLASS,
                        {{u"", u"", progId},
                         {u"InprocServer32", u"", path},
                         {u"InprocServer32", u"ThreadingModel", u"Apartment"},
                         {u"ProgID", u"", progId},
                         {u"TypeLib", u"", libid},
                         {u"VERSION", u"", version}}});
        keys.push_back({u"Interface\\" + formatGuid(*c.iid),
                        SELFREG_E_CLASS,
                        {{u"", u"", c.interfaceName},
                         {u"ProxyStubClsid32", u"", std::u16string(kAutomationMarshaler)},
                         {u"TypeLib", u"", libid},
                         {u"TypeLib", u"Version", version}}});
        keys.push_back({progId, SELFREG_E_CLASS, {{u"", u"", progId}, {u"CLSID", u"", clsid}}});
    }
    // What the classes read of the system (the character-set database, the
    // system-wide temporary folder) is the store's own, there whether or not
    // anything was registered (platform/registry/system_databases.h).
    return keys;
}

}  // namespace

HRESULT registerServer(const std::filesystem::path& module) noexcept {
    SetErrorInfo(0, nullptr);
    try {
        if (module.empty()) return SELFREG_E_CLASS;
        std::string reason;
        const HRESULT hr = platform::writeRegistration(registrationOf(module), &reason);
        if (FAILED(hr)) {
            // The registry store's own words reach whoever registers.
            if (!reason.empty()) {
                return platform::automation::raiseError(hr, u"Morcel_TLVX",
                                                        platform::unicode::utf8ToUtf16(reason));
            }
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT unregisterServer(const std::filesystem::path& module) noexcept {
    try {
        if (module.empty()) return SELFREG_E_CLASS;
        return platform::removeRegistration(registrationOf(module), SELFREG_E_CLASS);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace tlvx::library::frame
