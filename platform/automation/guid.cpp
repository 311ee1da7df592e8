#include <cstring>

#include "platform/automation/guid_text.h"

namespace tlvx::platform::automation {
namespace {

constexpr size_t kTextLength = 38;

// Reads `count` hexadecimal digits at `pos`.
std::optional<uint64_t> hexAt(std::u16string_view text, size_t pos, size_t count) {
    uint64_t value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        const char16_t c = text[i];
        int digit;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return value;
}

}  // namespace

std::optional<GUID> parseGuid(std::u16string_view text) {
    if (text.size() != kTextLength || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' ||
        text[14] != u'-' || text[19] != u'-' || text[24] != u'-') {
        return std::nullopt;
    }
    const auto data1 = hexAt(text, 1, 8);
    const auto data2 = hexAt(text, 10, 4);
    const auto data3 = hexAt(text, 15, 4);
    if (!data1 || !data2 || !data3) return std::nullopt;
    GUID guid;
    guid.Data1 = static_cast<uint32_t>(*data1);
    guid.Data2 = static_cast<uint16_t>(*data2);
    guid.Data3 = static_cast<uint16_t>(*data3);
    // Data4: two bytes before the last dash, six after it.
    static constexpr size_t kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        const auto byte = hexAt(text, kBytePositions[i], 2);
        if (!byte) return std::nullopt;
        guid.Data4[i] = static_cast<uint8_t>(*byte);
    }
    return guid;
}

std::u16string formatGuid(const GUID& guid) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::u16string text;
    text.reserve(kTextLength);
    auto hex = [&](uint64_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
            text += static_cast<char16_t>(kDigits[(value >> shift) & 0xF]);
        }
    };
    text += u'{';
    hex(guid.Data1, 8);
    text += u'-';
    hex(guid.Data2, 4);
    text += u'-';
    hex(guid.Data3, 4);
    text += u'-';
    hex(guid.Data4[0], 2);
    hex(guid.Data4[1], 2);
    text += u'-';
    for (int i = 2; i < 8; ++i) hex(guid.Data4[i], 2);
    text += u'}';
    return text;
}

}  // namespace tlvx::platform::automation

using namespace tlvx::platform::automation;

HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) noexcept {
    if (!pclsid) return E_INVALIDARG;
    *pclsid = CLSID_NULL;
    if (!lpsz) return S_OK;  // a null string names the null class
    const auto guid = parseGuid(lpsz);
    if (!guid) return CO_E_CLASSSTRING;
    *pclsid = *guid;
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid) noexcept {
    if (!lpiid) return E_INVALIDARG;
    *lpiid = IID_NULL;
    if (!lpsz) return S_OK;
    const auto guid = parseGuid(lpsz);
    if (!guid) return E_INVALIDARG;
    *lpiid = *guid;
    return S_OK;
}

int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) noexcept {
    constexpr int kNeeded = static_cast<int>(kTextLength) + 1;
    if (!lpsz || cchMax < kNeeded) return 0;
    try {
        const std::u16string text = formatGuid(rguid);
        std::memcpy(lpsz, text.data(), kTextLength * sizeof(OLECHAR));
        lpsz[kTextLength] = u'\0';
        return kNeeded;
    } catch (...) {
        return 0;
    }
}
