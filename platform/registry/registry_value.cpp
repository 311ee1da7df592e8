// The data of registry values: strings as UTF-16LE with their NUL, numbers
// as little-endian bytes, and the single-byte face in code page 1252.

#include <optional>
#include <string>

#include "platform/registry/registry_store.h"
#include "platform/text/ansi_codepage.h"

namespace tlvx::platform {
namespace {

bool isStringType(uint32_t type) {
    return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

}  // namespace

RegistryValue RegistryValue::fromString(std::u16string_view text, uint32_t type) {
    RegistryValue value{type, {}};
    value.data.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        value.data += static_cast<char>(c & 0xFF);
        value.data += static_cast<char>(c >> 8);
    }
    value.data.append(2, '\0');
    return value;
}

RegistryValue RegistryValue::fromDword(uint32_t number) {
    RegistryValue value{regtype::Dword, std::string(4, '\0')};
    for (int i = 0; i < 4; ++i) value.data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return value;
}

std::optional<std::u16string> RegistryValue::toString() const {
    if (type != regtype::Sz && type != regtype::ExpandSz) return std::nullopt;
    std::u16string text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto c = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                             (static_cast<unsigned char>(data[i + 1]) << 8));
        if (c == 0) break;
        text += c;
    }
    return text;
}

RegistryValue RegistryValue::fromAnsi(uint32_t type, std::string_view data) {
    if (!isStringType(type)) return RegistryValue{type, std::string(data)};
    RegistryValue value{type, {}};
    value.data.reserve(data.size() * 2);
    for (char byte : data) {
        const char16_t c = ansi::decodeByte(static_cast<unsigned char>(byte));
        value.data += static_cast<char>(c & 0xFF);
        value.data += static_cast<char>(c >> 8);
    }
    return value;
}

std::string RegistryValue::ansiData() const {
    if (!isStringType(type)) return data;
    std::u16string text;
    text.reserve(data.size() / 2);
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                      (static_cast<unsigned char>(data[i + 1]) << 8));
    }
    return ansi::fromUtf16(text);
}

std::optional<uint32_t> RegistryValue::toDword() const {
    if (type != regtype::Dword || data.size() != 4) return std::nullopt;
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
    return number;
}

}  // namespace tlvx::platform
