#pragma once
// The desktop and settings-file methods of the library's API class: INI
// values, the open and save file dialogs, and handing files, addresses and
// commands to the desktop's default handler. No method throws; a failure
// gives the empty result. Strings are UTF-16; a null string (as distinct
// from an empty one) is an empty std::optional where it matters.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/windows.h"

namespace tlvx::library {

class APIFuns {
public:
    // The value of KeyName in section Segment, quotes and surrounding spaces
    // removed, at most 65534 characters; empty when anything is missing.
    std::u16string ReadIni(const std::u16string& fileName, const std::u16string& segment,
                           const std::u16string& keyName) noexcept;
    // Sets, creates or (with a null value / null key) removes a key or a
    // section. The file is replaced as a whole. Nothing is written for a
    // null section, or when a text holds characters the code page cannot
    // (it would land under another name). Afterwards each argument holds its
    // text as the code page stores it.
    void WriteIni(std::u16string& fileName, std::optional<std::u16string>& segment,
                  std::optional<std::u16string>& keyName,
                  std::optional<std::u16string>& keyValue) noexcept;

    // The chosen paths: none on cancel; one full path; or, for a multiple
    // choice of several files, their folder and then their names.
    std::vector<std::u16string> GetFilesOpenName(int32_t winHandle, const std::u16string& title,
                                                 const std::u16string& filter,
                                                 const std::u16string& defDir,
                                                 bool multiSel) noexcept;
    // The confirmed full path, the default extension added to a name typed
    // without one; empty on cancel. Overwriting is confirmed in the dialog.
    std::u16string GetFileSaveName(int32_t winHandle, const std::u16string& title,
                                   const std::u16string& fileName, const std::u16string& filter,
                                   const std::u16string& defDir,
                                   const std::u16string& defExt) noexcept;
    // Hands a document, address or command to the desktop's default handler
    // without waiting for it. The show state has no meaning here.
    void ExecFile(const std::u16string& fileName, int32_t winState) noexcept;
    void ExecCmd(const std::u16string& command, int32_t winState) noexcept;

    // System folders, processes, the recycle bin and string modules
    // (api_funs_system.cpp, api_funs_recycle_bin.cpp,
    // api_funs_string_modules.cpp).

    // The major version of the running kernel.
    int32_t GetWindowsVersion() noexcept;
    // Network drives have no counterpart here: both do nothing.
    void MapNetDrive(int32_t winHandle, int32_t action) noexcept;
    void DisconnectNetDrive(int32_t winHandle, int32_t action) noexcept;
    // Suspends the calling thread; a negative time does not wait.
    void Wait(int32_t milliseconds) noexcept;
    // "W" the system's folder, "P" the folder of added programs; any other
    // code (lower case too) the empty string.
    std::u16string GetSysPath(const std::u16string& classCode) noexcept;
    // The folder of a shell folder number, 9966 the system folder; empty
    // for a number without one, or a path of 260 characters or more.
    std::u16string GetSpecialFolder(int16_t id) noexcept;
    // The temporary folder ending in '/'; empty when it does not exist.
    std::u16string GetUserTempPath() noexcept;
    // Ends every other process the user may end whose executable name ends
    // with the text, letter case ignored.
    void KillProcess(const std::u16string& nameProcess) noexcept;

    // The trash's items and bytes as "ITEMS|BYTES" ("0|0" when empty or
    // unreadable); an empty drive means the whole trash.
    std::u16string QueryRecycleBin(const std::u16string& drive) noexcept;
    void EmptyRecycleBin(int32_t winHandle, const std::u16string& drive) noexcept;
    // Moves the file or folder to the trash, without a question.
    void DelToRecycled(const std::u16string& fileName) noexcept;
    // Deletes the file at the next start of the system.
    void DelUntilReboot(const std::u16string& fileName) noexcept;

    // A string module's handle, 0 when the file is none; its string by
    // number (empty when missing); freeing it.
    int32_t LoadDLL(const std::u16string& dllFile) noexcept;
    std::u16string GetDLLString(int32_t resHandle, int32_t resId) noexcept;
    void UnloadDLL(int32_t resHandle) noexcept;

    // Windows, menus, drops, dialogs, icons and the clipboard
    // (api_funs_windows.cpp). A window handle is the window id of a widget
    // of this process; what each message does to it is listed in
    // platform/desktop/windows.h. Without a window system, an application
    // object or a widget of that handle, each gives its empty result.
    void SendMsg(int32_t handle, int32_t msg, int32_t paramA,
                 const platform::desktop::MessageParam& paramB) noexcept;
    void PostMsg(int32_t handle, int32_t msg, int32_t paramA,
                 const platform::desktop::MessageParam& paramB) noexcept;
    int32_t FindWindowTitle(const std::u16string& title) noexcept;
    // "Undo", "Redo", "Cut", "Copy", "Paste" or "Delete" (spaces around the
    // word ignored, letter case significant) done to an edit.
    void TxtOperate(int32_t txtHandle, const std::u16string& action) noexcept;
    void AddHScrollToListBox(int32_t handle, int32_t width) noexcept;
    void SetTreeViewBgColor(int32_t tvHandle, int32_t bgColor) noexcept;
    int32_t GetMenuHandle(int32_t winHandle) noexcept;
    int32_t GetSubMenuHandle(int32_t menuHandle, int32_t pos) noexcept;
    void SetRadioMenu(int32_t menuHandle, int32_t pos) noexcept;
    void AcceptDragFiles(int32_t ctrHandle, int32_t accept) noexcept;
    // The first file of the drop, empty for a drop without files; the drop
    // is released.
    std::u16string DropFiles(int32_t hDrop) noexcept;
    // The chosen colour (0x00BBGGRR), -1 when none was chosen.
    int32_t SelectColor(int32_t winHandle) noexcept;
    std::u16string ChooseFolder(int32_t winHandle, const std::u16string& prompt) noexcept;
    void ShowFileFolderProperties(int32_t handle, const std::u16string& fileFolderName) noexcept;
    // The device contexts are window ids of widgets the icon is shown in.
    void GetFileIcon(const std::u16string& fileName, int32_t smallPicDC, int32_t bigPicDC) noexcept;
    void SetLVHeaderColor(int32_t handle, bool setUnset, int32_t bgColor,
                          int32_t foreColor) noexcept;
    void SetClipboardText(const std::u16string& text) noexcept;
    // The clipboard's text up to its first NUL. The one method that throws:
    // std::bad_alloc when the text cannot be held, reported to the caller.
    std::u16string GetClipboardText();
};

}  // namespace tlvx::library
