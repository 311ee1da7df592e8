#pragma once
// The stream component "ADODB.Stream" as an automation object, called late
// by member name over a CharsetStream: Open, Close, CharSet, Type (1 binary,
// 2 text), Mode, Position, Size, EOS, WriteText, Write, Read, ReadText,
// Flush, SaveToFile, LoadFromFile. A member that cannot do its work fails
// with the component's error number, source "ADODB.Stream" and a
// description, through the error information and EXCEPINFO.

#include "include/tallyvex/ole_types.h"
#include "platform/files/charset_stream.h"

namespace tlvx::platform::automation {

// {00000566-0000-0010-8000-00AA006D2EA4}, the identifier Windows gives the
// class.
inline constexpr CLSID CLSID_Stream = {
    0x00000566, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
inline constexpr const char16_t* kStreamProgId = u"ADODB.Stream";

// The values its callers pass: Type, Mode and SaveToFile's option.
inline constexpr int32_t kStreamTypeBinary = CharsetStream::Binary;
inline constexpr int32_t kStreamTypeText = CharsetStream::Text;
inline constexpr int32_t kStreamModeReadWrite = 3;
inline constexpr int32_t kStreamSaveCreateOverWrite = CharsetStream::kCreateOverwrite;

// A new stream object answering `riid`.
HRESULT createStreamObject(REFIID riid, void** ppv) noexcept;

}  // namespace tlvx::platform::automation
