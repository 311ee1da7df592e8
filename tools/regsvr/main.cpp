// regsvr [-u] MODULE
//
// Registers a component module by calling its DllRegisterServer, or with -u
// unregisters it through DllUnregisterServer, and says in one line what
// happened. The classes the platform serves itself (the stream component
// "ADODB.Stream" the library relies on) are registered and unregistered
// beside the module's own. Exit status 0 on success, 1 on failure, 2 for a wrong command
// line.

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "include/tallyvex/ole_types.h"
#include "platform/automation/platform_classes.h"
#include "platform/text/unicode_text.h"
#include "tools/exit_status.h"

namespace {

using namespace tlvx::tools;

// The name it was started by: "regsvr" in the program's folder,
// "tlvx-regsvr" through the link an installation puts on the PATH.
std::string programName = "regsvr";

std::string usage() {
    return "usage: " + programName +
           " [-u] MODULE\n"
           "Registers the component module MODULE (calls its DllRegisterServer);\n"
           "with -u unregisters it (DllUnregisterServer).\n";
}

using EntryPoint = HRESULT (*)();

struct CommandLine {
    bool unregister = false;
    bool help = false;
    std::string module;
};

// False for a command line that is not [-u] MODULE.
bool parse(int argc, char** argv, CommandLine& line) {
    bool operandsOnly = false;
    int operands = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!operandsOnly && arg == "--") {
            operandsOnly = true;
        } else if (!operandsOnly && arg == "-u") {
            line.unregister = true;
        } else if (!operandsOnly && (arg == "-h" || arg == "--help")) {
            line.help = true;
        } else if (!operandsOnly && arg.size() > 1 && arg[0] == '-') {
            return false;
        } else {
            line.module = arg;
            ++operands;
        }
    }
    return line.help || (operands == 1 && !line.module.empty());
}

// What a failure code means, in words.
std::string reasonOf(HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    const char* meaning = nullptr;
    switch (static_cast<uint32_t>(hr)) {
        case 0x80040200u:  // SELFREG_E_TYPELIB
            meaning = "the type library entries could not be written to the registry";
            break;
        case 0x80040201u:  // SELFREG_E_CLASS
            meaning = "the class entries could not be written to the registry";
            break;
        case static_cast<uint32_t>(E_OUTOFMEMORY):
            meaning = "out of memory";
            break;
        case static_cast<uint32_t>(E_ACCESSDENIED):
            meaning = "access denied";
            break;
        default:
            break;
    }
    return meaning ? std::string(meaning) + " (" + code + ")" : std::string("error ") + code;
}

// What the failed call left in the thread's error information; empty when
// it left nothing.
std::string errorDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return {};
    BSTR description = nullptr;
    std::string text;
    if (SUCCEEDED(info->GetDescription(&description)) && description) {
        text = tlvx::platform::unicode::utf16ToUtf8(
            std::u16string_view(description, SysStringLen(description)));
    }
    SysFreeString(description);
    info->Release();
    return text;
}

int run(const CommandLine& line) {
    // An absolute path: dlopen would search the library path for a bare
    // name, and the module registers the path it is loaded from.
    std::error_code ec;
    const std::filesystem::path module =
        std::filesystem::absolute(line.module, ec).lexically_normal();
    const std::string name = ec ? line.module : module.string();
    if (ec || !std::filesystem::is_regular_file(module, ec)) {
        std::fprintf(stderr, "%s: cannot load %s: no such file.\n", programName.c_str(),
                     name.c_str());
        return kFailed;
    }
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        std::fprintf(stderr, "%s: cannot load %s: %s.\n", programName.c_str(), name.c_str(),
                     why ? why : "not a loadable module");
        return kFailed;
    }
    const char* entryName = line.unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, entryName));
    if (!entry) {
        std::fprintf(stderr, "%s: %s does not export %s: it is not a self-registering module.\n",
                     programName.c_str(), name.c_str(), entryName);
        return kFailed;
    }
    HRESULT hr = entry();
    if (SUCCEEDED(hr)) {
        namespace automation = tlvx::platform::automation;
        hr = line.unregister ? automation::unregisterPlatformClasses()
                             : automation::registerPlatformClasses();
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "%s: %s in %s failed: %s.\n", programName.c_str(), entryName,
                     name.c_str(), reasonOf(hr).c_str());
        const std::string said = errorDescription();
        if (!said.empty())
            std::fprintf(stderr, "%s: the registry store says: %s.\n", programName.c_str(),
                         said.c_str());
        return kFailed;
    }
    std::printf("%s %s.\n", line.unregister ? "Unregistered" : "Registered", name.c_str());
    return kSucceeded;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 0 && argv[0][0] != '\0')
        programName = std::filesystem::path(argv[0]).filename().string();
    CommandLine line;
    if (!parse(argc, argv, line)) {
        std::fputs(usage().c_str(), stderr);
        return kBadUsage;
    }
    if (line.help) {
        std::fputs(usage().c_str(), stdout);
        return kSucceeded;
    }
    return run(line);
}
