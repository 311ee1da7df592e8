#pragma once
// TxtFile's whole-file operations in a named character set: write a text,
// read a file's text, judge a file's encoding, read a file as ANSI text.
// Conversion goes through the stream component "ADODB.Stream", one new
// instance per call, called by member name; a step the stream refuses (an
// unknown charset name, say) is skipped and the call goes on, so an unknown
// name leaves the stream's own charset ("Unicode") in force. No method
// throws: a failure gives the empty text and leaves files as they were.

#include <string>

namespace tlvx::library {

class TxtFileCharsets {
public:
    // Creates or overwrites the file with Content in CharSet (with the mark
    // the stream writes for it). A file that cannot be written stays as it
    // was.
    void WriteByCharset(const std::u16string& fileName, const std::u16string& content,
                        const std::u16string& charset) noexcept;
    // The file's text decoded in CharSet; empty for a missing or unreadable
    // file.
    std::u16string ReadByCharset(const std::u16string& fileName,
                                 const std::u16string& charset) noexcept;
    // "Unicode", "UnicodeBigEndian", "UTF-8" or "ANSI" (also for a missing
    // or empty file). Reads the file in blocks, never the whole of it.
    std::u16string GetEncoding(const std::u16string& fileName) noexcept;
    // The whole file as ANSI text; empty for a missing or unreadable file.
    std::u16string ReadAnsi(const std::u16string& fileName) noexcept;
};

}  // namespace tlvx::library
