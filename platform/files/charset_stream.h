#pragma once
// Character sets by name and an in-memory byte stream that converts text to
// and from one of them, as the stream component of the automation platform
// does (ADODB.Stream). Names are the usual Windows and IANA ones, without
// regard to case ("utf-8", "unicode" = UTF-16LE, "unicodeFFFE" = UTF-16BE,
// "windows-1252", "iso-8859-1", "us-ascii", "gb2312", "big5", "shift_jis",
// "koi8-r", ...), any name iconv knows, and "Auto", which reads a text by
// its byte-order mark.
//
// Byte-order marks: text written at the start of an empty stream gets the
// charset's mark ("utf-8" EF BB BF, "unicode" FF FE, "unicodeFFFE" FE FF,
// none for the single- and multi-byte code pages). Reading from the start
// skips the charset's mark when it is there, so "utf-8" reads text with and
// without one. "Auto" reads UTF-16 in the order its mark gives (UTF-8 after
// EF BB BF, the ANSI code page without a mark) and writes like "unicode".

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tlvx::platform {

class Charset {
public:
    // The charset of that name; nullopt for a name nobody knows.
    static std::optional<Charset> named(std::u16string_view name);
    // The stream's starting charset, "Unicode".
    static Charset unicode();

    // The name as the caller gave it.
    const std::u16string& name() const { return name_; }
    // The mark written ahead of text at the start of a stream.
    std::string_view mark() const;

    // Text to bytes, without a mark. A character the charset cannot hold
    // becomes '?'.
    std::string encode(std::u16string_view text) const;
    // Bytes to text. A leading mark of the charset is skipped when
    // `atStart`; a byte sequence that is not valid in the charset becomes
    // U+FFFD.
    std::u16string decode(std::string_view bytes, bool atStart) const;

    enum class Kind : std::uint8_t { Utf16Le, Utf16Be, Utf8, Ansi, Cp1252, Iconv, Auto };

private:
    Charset(std::u16string name, Kind kind, std::string iconvName, std::string mark)
        : name_(std::move(name)),
          kind_(kind),
          iconvName_(std::move(iconvName)),
          mark_(std::move(mark)) {}

    std::u16string name_;
    Kind kind_;
    std::string iconvName_;  // for Kind::Iconv
    std::string mark_;
};

// The stream: bytes with a position, open or closed, typed binary or text.
// Every operation tells whether it could be done; one that cannot changes
// nothing.
class CharsetStream {
public:
    enum Type : int32_t { Binary = 1, Text = 2 };
    enum class Status : std::uint8_t {
        Done,
        Closed,          // the operation needs an open stream
        Open,            // the operation needs a closed stream
        WrongType,       // a text operation on a binary stream, or the reverse
        NotAtStart,      // Type and CharSet change only at position 0
        BadArgument,     // a value out of range or an unknown charset
        FileNotOpened,   // the file to load cannot be read
        FileNotWritten,  // the file to save cannot be written
        FileExists,      // saving without overwriting onto an existing file
    };

    // What SaveToFile may do with an existing file.
    static constexpr int32_t kCreateNotExist = 1;
    static constexpr int32_t kCreateOverwrite = 2;
    // Read and ReadText of everything left.
    static constexpr int32_t kReadAll = -1;

    Status open();
    Status close();

    int32_t type() const { return type_; }
    Status setType(int32_t type);
    int32_t mode() const { return mode_; }
    Status setMode(int32_t mode);
    const std::u16string& charsetName() const { return charset_.name(); }
    Status setCharset(std::u16string_view name);

    // Byte position and size; need an open stream.
    Status position(int64_t& out) const;
    Status setPosition(int64_t position);
    Status size(int64_t& out) const;
    Status atEnd(bool& out) const;

    // Writes at the position, over what lies there, and moves past it.
    // `line` adds CR LF.
    Status writeText(std::u16string_view text, bool line = false);
    Status write(std::string_view bytes);
    // `count` bytes from the position, fewer at the end; kReadAll for all.
    Status read(int32_t count, std::string& out);
    // The text from the position to the end.
    Status readText(std::u16string& out);
    Status flush() const;

    // Paths in Windows notation, as the file methods of the library take
    // them. Saving writes a new file beside the target and renames it over,
    // so nothing is ever half-written.
    Status saveToFile(std::u16string_view fileName, int32_t options);
    Status loadFromFile(std::u16string_view fileName);

private:
    void put(std::string_view bytes);

    bool open_ = false;
    int32_t type_ = Text;
    int32_t mode_ = 0;
    Charset charset_ = Charset::unicode();
    std::string bytes_;
    std::size_t position_ = 0;
};

}  // namespace tlvx::platform
