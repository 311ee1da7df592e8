#pragma once
// The Base64 class's work: text in a named charset to Base64 and back, a
// file's bytes to Base64, Base64 to a new file. The coding tables are the
// codec's, filled when a Base64 object is made. Charset conversion goes
// through the stream component "ADODB.Stream", one new instance per
// conversion; a conversion that fails anywhere gives the empty result.
// Only DecodeToFile reports errors, as a RaisedError for its caller.

#include <optional>
#include <string>

#include "include/tallyvex/ole_types.h"
#include "library/base64/base64_codec.h"

namespace tlvx::library {

struct RaisedError {
    HRESULT number;
    std::u16string source;
    std::u16string description;
};

class Base64 {
public:
    // Base64 of Source's bytes in CharSet, without the byte-order mark the
    // stream writes ahead of them; empty for an empty Source or a failed
    // conversion.
    std::u16string Encode(const std::u16string& source,
                          const std::u16string& charset) const noexcept;
    // Base64 of the file's bytes; empty when the file does not exist or
    // cannot be read.
    std::u16string EncodeFile(const std::u16string& fileName) const noexcept;
    // The text the decoded bytes of Input stand for in CharSet; empty for an
    // empty Input or a failed conversion.
    std::u16string Decode(const std::u16string& input,
                          const std::u16string& charset) const noexcept;
    // Writes the decoded bytes of Input to a new file. An existing file of
    // that name (or matching its wildcards) is never touched: the error
    // 0x800403E8 "File already exists."; any other failure comes back with
    // its own number and text. The file appears whole or not at all.
    std::optional<RaisedError> DecodeToFile(const std::u16string& input,
                                            const std::u16string& fileName) const noexcept;

    const Base64Codec& codec() const { return codec_; }

private:
    std::optional<std::string> textToBytes(const std::u16string& text,
                                           const std::u16string& charset) const;
    std::optional<std::u16string> bytesToText(const std::string& bytes,
                                              const std::u16string& charset) const;

    Base64Codec codec_;
};

}  // namespace tlvx::library
