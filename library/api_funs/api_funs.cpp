#include "library/api_funs/api_funs.h"

#include "library/frame/continue_on_error.h"

#include "platform/desktop/dialogs.h"
#include "platform/files/profile_file.h"
#include "platform/files/win_path.h"
#include "platform/shell/launcher.h"
#include "platform/text/ansi_codepage.h"
#include "platform/text/unicode_text.h"

namespace tlvx::library {
namespace {

namespace ansi = platform::ansi;

// The longest value the profile reader hands back.
constexpr std::size_t kMaxIniValue = 65534;
// The longest name the save dialog accepts as its proposal.
constexpr std::size_t kMaxProposedName = 250;

bool fitsCodePageIfGiven(const std::optional<std::u16string>& text) {
    return !text || ansi::holds(*text);
}

// What both file dialogs are asked with: the owner window, the title, the
// filter pairs and the folder to start in.
void askWith(platform::desktop::FileDialogRequest& request, int32_t winHandle,
             const std::u16string& title, const std::u16string& filter,
             const std::u16string& defDir) {
    request.ownerHandle = winHandle;
    request.title = title;
    request.filterPairs = filter;
    request.initialDir = defDir;
}

}  // namespace

std::u16string APIFuns::ReadIni(const std::u16string& fileName, const std::u16string& segment,
                                const std::u16string& keyName) noexcept {
    return continueOnError(std::u16string(), [&] {
        // A name the code page cannot hold names no file, section or key:
        // the writer refuses such names, so nothing can be found under them.
        if (!ansi::holds(fileName) || !ansi::holds(segment) || !ansi::holds(keyName))
            return std::u16string();
        const auto path = platform::winpath::resolve(fileName);
        if (!path) return std::u16string();
        std::string value = platform::profile::readString(*path, ansi::fromUtf16(segment),
                                                          ansi::fromUtf16(keyName));
        if (value.size() > kMaxIniValue) value.resize(kMaxIniValue);
        return ansi::toUtf16(value);
    });
}

void APIFuns::WriteIni(std::u16string& fileName, std::optional<std::u16string>& segment,
                       std::optional<std::u16string>& keyName,
                       std::optional<std::u16string>& keyValue) noexcept {
    continueOnError([&] {
        // Text the code page cannot hold would be written as '?' under
        // another name: the write is refused, and no file is created.
        const bool representable = ansi::holds(fileName) && fitsCodePageIfGiven(segment) &&
                                   fitsCodePageIfGiven(keyName) && fitsCodePageIfGiven(keyValue);
        fileName = ansi::throughCodePage(fileName);
        if (segment) segment = ansi::throughCodePage(*segment);
        if (keyName) keyName = ansi::throughCodePage(*keyName);
        if (keyValue) keyValue = ansi::throughCodePage(*keyValue);
        // Without a section there is nothing to write into.
        if (!representable || !segment) return;
        const auto path = platform::winpath::resolveForWrite(fileName);
        if (!path) return;
        const std::optional<std::string> key =
            keyName ? std::optional(ansi::fromUtf16(*keyName)) : std::nullopt;
        const std::optional<std::string> value =
            keyValue ? std::optional(ansi::fromUtf16(*keyValue)) : std::nullopt;
        platform::profile::writeString(*path, ansi::fromUtf16(*segment), key, value);
    });
}

std::vector<std::u16string> APIFuns::GetFilesOpenName(int32_t winHandle,
                                                      const std::u16string& title,
                                                      const std::u16string& filter,
                                                      const std::u16string& defDir,
                                                      bool multiSel) noexcept {
    return continueOnError(std::vector<std::u16string>(), [&] {
        platform::desktop::OpenFileRequest request;
        askWith(request, winHandle, title, filter, defDir);
        request.multiSelect = multiSel;
        // A single choice takes existing files only; a multiple choice
        // does not check.
        request.fileMustExist = !multiSel;
        request.pathMustExist = !multiSel;
        auto result = platform::desktop::openFileDialog(request);
        if (!result.shown || !result.accepted) return std::vector<std::u16string>();
        // The chosen names come back as one text trimmed at both ends: the
        // start of the first element and the end of the last lose their
        // spaces. A choice longer than the classic buffer is kept whole.
        auto& paths = result.paths;
        if (!paths.empty()) {
            auto& first = paths.front();
            first.erase(0, first.find_first_not_of(u' '));
            auto& last = paths.back();
            last.erase(last.find_last_not_of(u' ') + 1);
            if (paths.size() == 1 && paths.front().empty()) paths.clear();
        }
        return paths;
    });
}

std::u16string APIFuns::GetFileSaveName(int32_t winHandle, const std::u16string& title,
                                        const std::u16string& fileName,
                                        const std::u16string& filter, const std::u16string& defDir,
                                        const std::u16string& defExt) noexcept {
    return continueOnError(std::u16string(), [&] {
        // A proposal that does not fit the dialog's name buffer is a cancel.
        if (fileName.size() > kMaxProposedName) return std::u16string();
        platform::desktop::SaveFileRequest request;
        askWith(request, winHandle, title, filter, defDir);
        request.proposedName = fileName;
        request.defaultExtension = defExt;
        request.promptOverwrite = true;
        request.pathMustExist = true;
        const auto result = platform::desktop::saveFileDialog(request);
        if (!result.shown || !result.accepted) return std::u16string();
        return result.path;
    });
}

void APIFuns::ExecFile(const std::u16string& fileName, int32_t) noexcept {
    continueOnError([&] {
        // A document named the Windows way is handed over by its path here.
        const auto path = platform::winpath::resolve(fileName);
        platform::shell::openWithDefaultHandler(path ? platform::winpath::toUtf8(*path)
                                                     : platform::unicode::utf16ToUtf8(fileName));
    });
}

void APIFuns::ExecCmd(const std::u16string& command, int32_t) noexcept {
    continueOnError(
        [&] { platform::shell::openWithDefaultHandler(platform::unicode::utf16ToUtf8(command)); });
}

}  // namespace tlvx::library
