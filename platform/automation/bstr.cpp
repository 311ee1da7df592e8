// Strings of the automation runtime. A BSTR points at UTF-16 text; the four
// bytes before the text hold its length in bytes, and a NUL character
// follows it. The block starts 8 bytes before the text so that the text is
// aligned for any character access.

#include "platform/automation/bstr.h"

#include <cstdlib>
#include <cstring>

namespace tlvx::platform::automation {
namespace {

constexpr size_t kHeader = 8;      // 4 unused bytes, then the byte length
constexpr size_t kTerminator = 2;  // one NUL character
// The byte length must fit the 32-bit prefix with room for the header.
constexpr size_t kMaxBytes = 0xFFFFFFFFu - kHeader - 2 * kTerminator;

char* blockOf(BSTR text) {
    return reinterpret_cast<char*>(text) - kHeader;
}

uint32_t storedLength(BSTR text) {
    uint32_t bytes;
    std::memcpy(&bytes, blockOf(text) + 4, sizeof bytes);
    return bytes;
}

// A new string of `bytes` bytes, copied from `source` when given; the
// bytes after the text are zero, so an odd length still ends in a NUL
// character.
BSTR allocateBytes(const void* source, size_t bytes) {
    if (bytes > kMaxBytes) return nullptr;
    const size_t total = kHeader + bytes + 2 * kTerminator;
    char* block = static_cast<char*>(std::malloc(total));
    if (!block) return nullptr;
    std::memset(block, 0, 4);
    const uint32_t length = static_cast<uint32_t>(bytes);
    std::memcpy(block + 4, &length, sizeof length);
    char* text = block + kHeader;
    if (source) {
        std::memcpy(text, source, bytes);
    } else {
        // Windows leaves the text uninitialised; zeros cost little and keep
        // a caller that reads before writing from seeing old heap content.
        std::memset(text, 0, bytes);
    }
    std::memset(text + bytes, 0, 2 * kTerminator);
    return reinterpret_cast<BSTR>(text);
}

}  // namespace

BSTR copyBstr(BSTR source, bool& ok) noexcept {
    ok = true;
    if (!source) return nullptr;
    BSTR copy = allocateBytes(source, storedLength(source));
    ok = copy != nullptr;
    return copy;
}

}  // namespace tlvx::platform::automation

using namespace tlvx::platform::automation;

BSTR SysAllocString(const OLECHAR* psz) noexcept {
    if (!psz) return nullptr;
    return allocateBytes(psz, std::char_traits<char16_t>::length(psz) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) noexcept {
    return allocateBytes(strIn, static_cast<size_t>(ui) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* psz, UINT len) noexcept {
    return allocateBytes(psz, len);
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) noexcept {
    if (!pbstr) return FALSE;
    // The new text may lie inside the old string: copy before freeing.
    BSTR replacement = SysAllocStringLen(psz, len);
    if (!replacement) return FALSE;
    SysFreeString(*pbstr);
    *pbstr = replacement;
    return TRUE;
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) noexcept {
    if (!pbstr) return FALSE;
    if (!psz) {
        SysFreeString(*pbstr);
        *pbstr = nullptr;
        return TRUE;
    }
    return SysReAllocStringLen(pbstr, psz,
                               static_cast<UINT>(std::char_traits<char16_t>::length(psz)));
}

void SysFreeString(BSTR bstrString) noexcept {
    if (bstrString) std::free(blockOf(bstrString));
}

UINT SysStringLen(BSTR pbstr) noexcept {
    return pbstr ? static_cast<UINT>(storedLength(pbstr) / sizeof(OLECHAR)) : 0;
}

UINT SysStringByteLen(BSTR bstr) noexcept {
    return bstr ? storedLength(bstr) : 0;
}
