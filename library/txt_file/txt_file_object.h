#pragma once
// The TxtFile class as clients see it: the _TxtFile interface over the line
// operations of TxtFile and the charset operations of TxtFileCharsets, which
// stay the one homes of that logic.

#include "include/tallyvex/Morcel_TLVX.h"
#include "library/frame/com_object.h"
#include "library/txt_file/txt_file.h"
#include "library/txt_file/txt_file_charsets.h"

namespace tlvx::library {

class TxtFileObject final : public frame::ComObject<_TxtFile, IID__TxtFile, TxtFileObject> {
public:
    static const platform::automation::DispatchTable dispatchTable;

    HRESULT AppendLine(BSTR FileName, BSTR* Content) noexcept override;
    HRESULT ReadLastLine(BSTR FileName, BSTR* result) noexcept override;
    HRESULT GetLineQty(BSTR FileName, LONG* result) noexcept override;
    HRESULT DeleteLine(BSTR FileName, BSTR Content, BSTR Separator,
                       SHORT FieldNo) noexcept override;
    HRESULT ModifyLine(BSTR FileName, BSTR OldString, BSTR NewString, BSTR Separator,
                       SHORT FieldNo) noexcept override;
    HRESULT FindLine(BSTR FileName, BSTR Line, VARIANT_BOOL* result) noexcept override;
    HRESULT GetLineNoByFind(BSTR FileName, BSTR FindString, VARIANT_BOOL MatchCase,
                            LONG* result) noexcept override;
    HRESULT GetLineStrByFind(BSTR FileName, BSTR FindString, VARIANT_BOOL MatchCase,
                             BSTR* result) noexcept override;
    HRESULT WriteByCharset(BSTR FileName, BSTR Content, BSTR CharSet) noexcept override;
    HRESULT ReadByCharset(BSTR FileName, BSTR CharSet, BSTR* result) noexcept override;
    HRESULT AutoRead(BSTR FileName, BSTR* result) noexcept override;
    HRESULT GetEncoding(BSTR FileName, BSTR* result) noexcept override;

private:
    TxtFile lines_;
    TxtFileCharsets charsets_;
};

}  // namespace tlvx::library
