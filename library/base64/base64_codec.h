#pragma once
// Base64 with the standard alphabet and "=" padding, by table look-up over
// byte buffers. The tables are filled when a codec is made and only read
// afterwards.
//
// Encoded layout: four digits per three bytes; a last single byte gives two
// digits and "==", two bytes three digits and "=". A text longer than 76
// characters is cut into lines of 76, each complete line followed by CR LF
// (so a multiple of 76 ends with CR LF); one of 76 or fewer has no CR LF.
//
// Decoding drops every CR LF pair, then every "=", and reads each other
// character by the low 8 bits of its code: one outside the alphabet (a
// space, a lone CR or LF) is not skipped but counts as the digit 0. A last
// group of two digits gives one byte, of three two bytes; a lone last digit
// gives none.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tlvx::library {

class Base64Codec {
public:
    Base64Codec() noexcept;

    static constexpr std::size_t kLineLength = 76;

    // The length of the encoded text of `size` bytes, line ends included.
    static std::size_t encodedLength(std::size_t size) noexcept;
    // Writes the encoded text of `bytes`, encodedLength(bytes.size())
    // characters, to `out`.
    void encode(std::span<const unsigned char> bytes, char16_t* out) const noexcept;
    std::u16string encode(std::span<const unsigned char> bytes) const;

    // At least the number of bytes a text of `length` characters decodes to.
    static std::size_t maxDecodedLength(std::size_t length) noexcept;
    // Writes the decoded bytes to `out` (room for maxDecodedLength) and
    // returns their number.
    std::size_t decode(std::u16string_view text, unsigned char* out) const noexcept;
    std::string decode(std::u16string_view text) const;

    char16_t digit(unsigned value) const { return encoding_[value & 63]; }
    std::uint8_t value(char16_t c) const { return decoding_[c & 0xFF]; }

private:
    void encodePlain(const unsigned char* in, std::size_t size, char16_t* out) const noexcept;

    std::array<char16_t, 64> encoding_;
    std::array<std::uint8_t, 256> decoding_;
    // Derived from the two above, for speed: the two digits of 12 bits, and
    // each digit's value already shifted to its place in a group of four
    // (with a mark on the low bytes of CR, LF and "=").
    std::array<std::uint32_t, 4096> digitPairs_;
    std::array<std::array<std::uint32_t, 256>, 4> placed_;
};

}  // namespace tlvx::library
