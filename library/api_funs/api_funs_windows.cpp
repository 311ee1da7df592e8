// The window methods of APIFuns: messages, menus, drops, the colour and
// folder dialogs, file icons, the properties window and the clipboard, over
// the desktop services of the platform layer.

#include <array>
#include <string_view>

#include "library/api_funs/api_funs.h"
#include "library/api_funs/list_view_header_colour.h"
#include "library/frame/continue_on_error.h"
#include "platform/desktop/clipboard.h"
#include "platform/desktop/shell_dialogs.h"
#include "platform/desktop/windows.h"
#include "platform/files/win_path.h"

namespace tlvx::library {

namespace {

namespace desktop = platform::desktop;

constexpr int32_t kUndo = 0x00C7;
constexpr int32_t kCut = 0x0300;
constexpr int32_t kCopy = 0x0301;
constexpr int32_t kPaste = 0x0302;
constexpr int32_t kClear = 0x0303;
constexpr int32_t kSetHorizontalExtent = 0x0194;
constexpr int32_t kSetTreeBackground = 0x111D;

struct EditWord {
    std::u16string_view word;
    int32_t message;
};

// An edit has one level of undo: a second undo takes the first back, which
// is what "Redo" asks for.
constexpr std::array<EditWord, 6> kEditWords{{
    {u"Undo", kUndo},
    {u"Redo", kUndo},
    {u"Cut", kCut},
    {u"Copy", kCopy},
    {u"Paste", kPaste},
    {u"Delete", kClear},
}};

std::u16string_view withoutSurroundingSpaces(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// A name in Windows notation, as the path of the existing file or folder
// it names; the empty string when it names none.
std::u16string existingPath(const std::u16string& name) {
    const auto path = platform::winpath::resolve(name);
    return path ? platform::winpath::toUtf16(*path) : std::u16string();
}

}  // namespace

void APIFuns::SendMsg(int32_t handle, int32_t msg, int32_t paramA,
                      const desktop::MessageParam& paramB) noexcept {
    desktop::sendMessage(handle, msg, paramA, paramB);
}

void APIFuns::PostMsg(int32_t handle, int32_t msg, int32_t paramA,
                      const desktop::MessageParam& paramB) noexcept {
    desktop::postMessage(handle, msg, paramA, paramB);
}

int32_t APIFuns::FindWindowTitle(const std::u16string& title) noexcept {
    return desktop::findTopLevelWindow(title);
}

void APIFuns::TxtOperate(int32_t txtHandle, const std::u16string& action) noexcept {
    const std::u16string_view word = withoutSurroundingSpaces(action);
    if (word.empty()) return;
    for (const EditWord& known : kEditWords) {
        if (known.word == word) {
            desktop::sendMessage(txtHandle, known.message, 0, desktop::MessageParam::ofNumber(0));
            return;
        }
    }
}

void APIFuns::AddHScrollToListBox(int32_t handle, int32_t width) noexcept {
    desktop::sendMessage(handle, kSetHorizontalExtent, width, desktop::MessageParam::ofNumber(0));
}

void APIFuns::SetTreeViewBgColor(int32_t tvHandle, int32_t bgColor) noexcept {
    desktop::sendMessage(tvHandle, kSetTreeBackground, 0, desktop::MessageParam::ofNumber(bgColor));
}

int32_t APIFuns::GetMenuHandle(int32_t winHandle) noexcept {
    return desktop::menuBarOf(winHandle);
}

int32_t APIFuns::GetSubMenuHandle(int32_t menuHandle, int32_t pos) noexcept {
    return desktop::subMenuOf(menuHandle, pos);
}

void APIFuns::SetRadioMenu(int32_t menuHandle, int32_t pos) noexcept {
    desktop::checkRadioMenuItem(menuHandle, pos);
}

void APIFuns::AcceptDragFiles(int32_t ctrHandle, int32_t accept) noexcept {
    desktop::acceptDroppedFiles(ctrHandle, accept != 0);
}

std::u16string APIFuns::DropFiles(int32_t hDrop) noexcept {
    return desktop::takeFirstDroppedFile(hDrop);
}

int32_t APIFuns::SelectColor(int32_t winHandle) noexcept {
    const auto colour = desktop::chooseColour(winHandle);
    return colour ? static_cast<int32_t>(*colour) : -1;
}

std::u16string APIFuns::ChooseFolder(int32_t winHandle, const std::u16string& prompt) noexcept {
    return desktop::chooseFolder(winHandle, prompt);
}

void APIFuns::ShowFileFolderProperties(int32_t handle,
                                       const std::u16string& fileFolderName) noexcept {
    continueOnError([&] {
        const std::u16string path = existingPath(fileFolderName);
        if (!path.empty()) desktop::showItemProperties(handle, path);
    });
}

void APIFuns::GetFileIcon(const std::u16string& fileName, int32_t smallPicDC,
                          int32_t bigPicDC) noexcept {
    continueOnError([&] {
        const std::u16string path = existingPath(fileName);
        if (!path.empty()) desktop::showFileIcon(path, smallPicDC, bigPicDC);
    });
}

void APIFuns::SetLVHeaderColor(int32_t handle, bool setUnset, int32_t bgColor,
                               int32_t foreColor) noexcept {
    setListViewHeaderColour(handle, setUnset, bgColor, foreColor);
}

void APIFuns::SetClipboardText(const std::u16string& text) noexcept {
    desktop::setClipboardText(text);
}

std::u16string APIFuns::GetClipboardText() {
    return desktop::clipboardText();
}

}  // namespace tlvx::library
