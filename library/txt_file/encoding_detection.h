#pragma once
// The encoding of a text file judged from its bytes: a UTF-16 byte-order
// mark, the first two bytes of the UTF-8 one, or a scan of every byte for
// well-formed multi-byte sequences (the historical 5- and 6-byte forms
// included, overlong forms and surrogates not rejected). Bytes are fed in
// blocks of any size; the judgement is the same as for the whole file at
// once, so a file of any size is judged with bounded memory.

#include <cstdint>
#include <string_view>

namespace tlvx::library {

enum class Encoding : std::uint8_t { Unicode, UnicodeBigEndian, Utf8, Ansi };

// "Unicode", "UnicodeBigEndian", "UTF-8", "ANSI".
std::u16string_view encodingName(Encoding encoding);

class EncodingScanner {
public:
    // The next bytes of the file.
    void feed(std::string_view bytes);
    // True once the judgement can no longer change: further bytes need not
    // be read.
    bool decided() const { return markFound_ || stray_; }
    // The judgement of the bytes fed so far, taken as the whole file.
    //
    // A multi-byte sequence that the end of the file cuts short counts as
    // well-formed when every byte of it that is there fits, provided the
    // file holds at least one complete multi-byte sequence as well: a UTF-8
    // file cut short is still UTF-8, while a single-byte text ending in an
    // accented letter ("caf\xE9") stays ANSI.
    Encoding result() const;

private:
    void scan(const unsigned char* p, std::size_t size);

    unsigned char head_[2] = {0, 0};
    std::uint8_t headSize_ = 0;
    bool markFound_ = false;
    Encoding mark_ = Encoding::Ansi;
    bool stray_ = false;         // a byte that fits no sequence: ANSI
    bool complete_ = false;      // at least one complete multi-byte sequence
    std::uint8_t expected_ = 0;  // continuation bytes still to come
};

}  // namespace tlvx::library
