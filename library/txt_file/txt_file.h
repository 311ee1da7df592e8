#pragma once
// Line-oriented operations on plain text files named by path: append a line,
// read the last line, count lines, delete or modify matching lines, test for
// a line, find the first line that contains a text. Stateless: every call
// opens, works and closes. Text is read and written in the ANSI code page;
// written lines end with CR LF. No method throws: a failure gives the neutral
// result (empty text, 0, false) and leaves files as they were.
//
// Parameter types follow the automation types of the interface:
// String = UTF-16 text, Long = int32_t, Integer = int16_t, Boolean = bool.

#include <cstdint>
#include <string>

namespace tlvx::library {

class TxtFile {
public:
    // Appends Content and CR LF, creating the file; nothing more is written
    // (a last line without a line end is continued).
    void AppendLine(const std::u16string& fileName, std::u16string& content) noexcept;
    // The last line (text-stream reading); empty for a missing or empty file.
    std::u16string ReadLastLine(const std::u16string& fileName) noexcept;
    // Pieces of the whole text split at every CR LF; 0 for a missing or
    // empty file. A lone CR or LF does not separate.
    int32_t GetLineQty(const std::u16string& fileName) noexcept;
    // Removes every line equal to Content, or whose field FieldNo (split at
    // Separator) equals Content.
    void DeleteLine(const std::u16string& fileName, const std::u16string& content,
                    const std::u16string& separator = {}, int16_t fieldNo = 0) noexcept;
    // Replaces every line equal to OldString, or the field FieldNo equal to
    // OldString, by NewString.
    void ModifyLine(const std::u16string& fileName, const std::u16string& oldString,
                    const std::u16string& newString, const std::u16string& separator = {},
                    int16_t fieldNo = 0) noexcept;
    // True when a line equals Line exactly.
    bool FindLine(const std::u16string& fileName, const std::u16string& line) noexcept;
    // 1-based number of the first line containing FindString, else 0.
    int32_t GetLineNoByFind(const std::u16string& fileName, const std::u16string& findString,
                            bool matchCase = true) noexcept;
    // The first line containing FindString, else empty.
    std::u16string GetLineStrByFind(const std::u16string& fileName,
                                    const std::u16string& findString,
                                    bool matchCase = true) noexcept;
};

}  // namespace tlvx::library
