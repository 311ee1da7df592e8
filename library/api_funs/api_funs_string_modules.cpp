// APIFuns: string modules, the counterpart of a resource DLL's string table
// (platform/files/string_module.h).

#include "library/api_funs/api_funs.h"
#include "library/frame/continue_on_error.h"
#include "platform/files/string_module.h"
#include "platform/files/win_path.h"
#include "platform/process/proc_files.h"

namespace tlvx::library {
namespace {

namespace strings = platform::strings;

// The classic 255-character buffer holds 254 characters and the NUL.
constexpr std::size_t kMaxStringLength = 254;

// Where a module named without a folder is looked for: beside the running
// program first, as Windows looks beside the executable, then in the
// current directory.
std::optional<std::filesystem::path> findModule(const std::u16string& dllFile) {
    namespace winpath = platform::winpath;
    if (dllFile.find_first_of(u"\\/") == std::u16string::npos) {
        if (const auto program = platform::proc::ownExecutable()) {
            const auto beside = winpath::toUtf16(program->parent_path()) + u"/" + dllFile;
            if (auto found = winpath::resolve(beside)) return found;
        }
    }
    return winpath::resolve(dllFile);
}

}  // namespace

int32_t APIFuns::LoadDLL(const std::u16string& dllFile) noexcept {
    return continueOnError(int32_t{0}, [&] {
        if (dllFile.empty()) return int32_t{0};
        const auto file = findModule(dllFile);
        return file ? strings::loadStringModule(*file) : int32_t{0};
    });
}

std::u16string APIFuns::GetDLLString(int32_t resHandle, int32_t resId) noexcept {
    return continueOnError(std::u16string(), [&] {
        if (resId < 0) return std::u16string();
        auto text = strings::moduleString(resHandle, static_cast<std::uint32_t>(resId));
        if (!text) return std::u16string();
        text->resize(std::min(text->find(u'\0'), text->size()));
        if (text->size() > kMaxStringLength) {
            std::size_t cut = kMaxStringLength;
            // Half a surrogate pair is no character.
            if ((*text)[cut] >= 0xDC00 && (*text)[cut] <= 0xDFFF) --cut;
            text->resize(cut);
        }
        return *text;
    });
}

void APIFuns::UnloadDLL(int32_t resHandle) noexcept {
    continueOnError([&] { strings::unloadStringModule(resHandle); });
}

}  // namespace tlvx::library
