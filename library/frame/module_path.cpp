#include "library/frame/module_path.h"

#include <dlfcn.h>

#include <system_error>

namespace tlvx::library {

std::filesystem::path modulePath() noexcept {
    try {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<const void*>(&modulePath), &info) || !info.dli_fname) {
            return {};
        }
        std::error_code ec;
        const auto path = std::filesystem::absolute(info.dli_fname, ec);
        return ec ? std::filesystem::path() : path.lexically_normal();
    } catch (...) {
        return {};
    }
}

}  // namespace tlvx::library
