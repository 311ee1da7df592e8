#include "platform/automation/platform_classes.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "platform/automation/class_factory.h"
#include "platform/automation/guid_text.h"
#include "platform/automation/stream_object.h"
#include "platform/registry/class_registration.h"
#include "platform/text/unicode_text.h"

namespace tlvx::platform::automation {
namespace {

constexpr HRESULT kSelfRegClass = static_cast<HRESULT>(0x80040201u);  // SELFREG_E_CLASS

// The factory of a platform class. The platform library stays loaded for
// the life of the process, and so do its factories: LockServer has nothing
// to keep.
struct FactoryLife : ProcessLife {
    static void lockServer(bool) noexcept {}
};

constinit ClassFactory<FactoryLife> streamFactory(&createStreamObject);

struct PlatformClass {
    const CLSID* clsid;
    const char16_t* progId;
    const char16_t* description;
    IClassFactory* factory;
};

constexpr PlatformClass kClasses[] = {
    {&CLSID_Stream, kStreamProgId, u"ADODB.Stream", &streamFactory},
};

const PlatformClass* find(REFCLSID clsid) {
    for (const PlatformClass& c : kClasses) {
        if (*c.clsid == clsid) return &c;
    }
    return nullptr;
}

// The path of this library, which serves the platform classes.
std::u16string libraryPath() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&platformClassObject), &info) || !info.dli_fname) {
        return {};
    }
    std::error_code ec;
    const auto path = std::filesystem::absolute(info.dli_fname, ec);
    return ec ? std::u16string() : unicode::utf8ToUtf16(path.lexically_normal().string());
}

Registration registration() {
    const std::u16string path = libraryPath();
    Registration keys;
    for (const PlatformClass& c : kClasses) {
        const std::u16string clsid = formatGuid(*c.clsid);
        keys.push_back({u"CLSID\\" + clsid,
                        kSelfRegClass,
                        {{u"", u"", c.description},
                         {u"InprocServer32", u"", path},
                         {u"InprocServer32", u"ThreadingModel", u"Apartment"},
                         {u"ProgID", u"", c.progId}}});
        keys.push_back(
            {c.progId, kSelfRegClass, {{u"", u"", c.description}, {u"CLSID", u"", clsid}}});
    }
    return keys;
}

}  // namespace

HRESULT platformClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const PlatformClass* c = find(clsid);
    if (!c) return REGDB_E_CLASSNOTREG;
    return c->factory->QueryInterface(riid, ppv);
}

bool platformClassId(std::u16string_view progId, CLSID& clsid) noexcept {
    for (const PlatformClass& c : kClasses) {
        const std::u16string_view name(c.progId);
        bool same = name.size() == progId.size();
        for (std::size_t i = 0; same && i < name.size(); ++i) {
            same = unicode::toUpper(char32_t{name[i]}) == unicode::toUpper(char32_t{progId[i]});
        }
        if (same) {
            clsid = *c.clsid;
            return true;
        }
    }
    return false;
}

HRESULT registerPlatformClasses() noexcept {
    try {
        const auto keys = registration();
        if (keys.empty() || libraryPath().empty()) return kSelfRegClass;
        return writeRegistration(keys);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregisterPlatformClasses() noexcept {
    try {
        return removeRegistration(registration(), kSelfRegClass);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace tlvx::platform::automation
