#pragma once
// The conversion tables of one Windows "ANSI" code page other than 1252,
// built once per code page through iconv and kept for the life of the
// process.
//
// Single-byte code pages (874, 1250-1258) map each byte to one character.
// Double-byte code pages (932, 936, 949, 950) have lead bytes: a lead byte
// followed by a byte of the code page's trail range is one character; any
// other byte stands alone. CR, LF, NUL, space, ';' and '=' are never trail
// bytes, so a line or a key splits at them before decoding; '\' and the
// letters are, so names are decoded before they are split or compared.
//
// Bytes the code page leaves undefined keep a character of their own, so
// that every byte sequence survives a trip to Unicode and back: a single
// byte 0x80-0x9F becomes the C1 control of the same number; every other
// undefined byte, a lead byte without its trail, and an undefined lead and
// trail pair X become the private-use character U+F0000 + X.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tlvx::platform::ansi {

class CodePageTable {
public:
    // The tables of a supported code page other than 1252, made on first
    // use; nullptr for any other number or when iconv lacks the code page.
    static const CodePageTable* of(int codePage);

    int number() const { return number_; }
    bool doubleByte() const { return doubleByte_; }

    // The character that starts at `pos`; `pos` moves past its bytes.
    char32_t decodeAt(std::string_view bytes, std::size_t& pos) const {
        const auto b = static_cast<unsigned char>(bytes[pos++]);
        if (doubleByte_ && lead_[b] && pos < bytes.size()) {
            const auto t = static_cast<unsigned char>(bytes[pos]);
            if (trail_[t]) {
                ++pos;
                return pairs_[(std::size_t{b} << 8) | t];
            }
        }
        return single_[b];
    }

    // Appends the bytes of `c`; false (nothing appended) when the code page
    // does not hold it.
    bool encode(char32_t c, std::string& out) const;

    // Single-byte code pages: each byte to the byte of its upper-case /
    // lower-case form when the code page holds that form, else to itself.
    const std::array<unsigned char, 256>& upperBytes() const { return upper_; }
    const std::array<unsigned char, 256>& lowerBytes() const { return lower_; }

    // The stand-in of an undefined byte or pair X (see above).
    static constexpr char32_t kUndefinedBase = 0xF0000;

private:
    explicit CodePageTable(int number) : number_(number) {}
    bool build();
    void buildCaseTables();

    int number_;
    bool doubleByte_ = false;
    std::array<char32_t, 256> single_{};
    std::array<bool, 256> lead_{};
    std::array<bool, 256> trail_{};
    std::vector<char32_t> pairs_;  // by lead << 8 | trail
    // Character to its bytes: a single byte as itself, a pair as lead << 8 | trail.
    std::unordered_map<char32_t, std::uint16_t> bytesOf_;
    std::array<unsigned char, 256> upper_{};
    std::array<unsigned char, 256> lower_{};
};

}  // namespace tlvx::platform::ansi
