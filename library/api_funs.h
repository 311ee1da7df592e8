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
};

}  // namespace tlvx::library
