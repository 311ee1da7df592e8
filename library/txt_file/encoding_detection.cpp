#include "library/txt_file/encoding_detection.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace tlvx::library {
namespace {

// How many continuation bytes follow a lead byte; -1 for a byte that cannot
// start a sequence (a continuation byte, FE, FF). 0 for a 7-bit byte.
constexpr int followers(unsigned char b) {
    if (b < 0x80) return 0;
    if (b < 0xC0) return -1;
    if (b < 0xE0) return 1;
    if (b < 0xF0) return 2;
    if (b < 0xF8) return 3;
    if (b < 0xFC) return 4;
    if (b < 0xFE) return 5;
    return -1;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

constexpr bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

}  // namespace

std::u16string_view encodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Unicode:
            return u"Unicode";
        case Encoding::UnicodeBigEndian:
            return u"UnicodeBigEndian";
        case Encoding::Utf8:
            return u"UTF-8";
        case Encoding::Ansi:
            break;
    }
    return u"ANSI";
}

void EncodingScanner::feed(std::string_view bytes) {
    if (decided() || bytes.empty()) return;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t size = bytes.size();
    const bool inHead = headSize_ < 2;
    while (headSize_ < 2 && size > 0) {
        head_[headSize_++] = *p++;
        --size;
        if (headSize_ == 2) {
            if (head_[0] == 0xFF && head_[1] == 0xFE) mark_ = Encoding::Unicode;
            if (head_[0] == 0xFE && head_[1] == 0xFF) mark_ = Encoding::UnicodeBigEndian;
            // The third byte of the UTF-8 mark is not looked at.
            if (head_[0] == 0xEF && head_[1] == 0xBB) mark_ = Encoding::Utf8;
            markFound_ = mark_ != Encoding::Ansi;
            if (markFound_) return;
        }
    }
    // The first bytes are scanned like the rest once they are known.
    if (inHead && headSize_ == 2) scan(head_, 2);
    if (size > 0 && headSize_ == 2) scan(p, size);
}

void EncodingScanner::scan(const unsigned char* p, std::size_t size) {
    const unsigned char* const end = p + size;
    // The rest of a sequence the previous block cut.
    for (; expected_ > 0 && p < end; ++p, --expected_) {
        if (!isContinuation(*p)) {
            stray_ = true;
            return;
        }
        if (expected_ == 1) complete_ = true;
    }
    while (p < end) {
        // 7-bit text 32 bytes at a time, then eight at a time up to the
        // first byte with its high bit set.
        while (end - p >= 32) {
            std::uint64_t words[4];
            std::memcpy(words, p, sizeof words);
            if ((words[0] | words[1] | words[2] | words[3]) & kHighBits) break;
            p += 32;
        }
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            const std::uint64_t high = word & kHighBits;
            if (high == 0) {
                p += 8;
                continue;
            }
            p += std::countr_zero(high) >> 3;  // bytes are little-endian in the word
            break;
        }
        if (p == end) return;
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int n = followers(*p);
        if (n < 0) {
            stray_ = true;
            return;
        }
        // The bytes of the sequence that this block holds must fit; the
        // others are checked when the next block comes.
        const auto here = static_cast<int>(std::min<std::ptrdiff_t>(n, end - p - 1));
        for (int k = 1; k <= here; ++k) {
            if (!isContinuation(p[k])) {
                stray_ = true;
                return;
            }
        }
        p += here + 1;
        if (here < n) {
            expected_ = static_cast<std::uint8_t>(n - here);
            return;
        }
        complete_ = true;
    }
}

Encoding EncodingScanner::result() const {
    if (markFound_) return mark_;
    // A file of one byte holds no complete multi-byte sequence.
    if (headSize_ < 2) return Encoding::Ansi;
    if (stray_) return Encoding::Ansi;
    return complete_ ? Encoding::Utf8 : Encoding::Ansi;
}

}  // namespace tlvx::library
