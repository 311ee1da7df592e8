#pragma once
// The GenFuns class as clients see it (_GenFuns), over the class's logic
// (gen_funs.h).

#include "include/tallyvex/Morcel_TLVX.h"
#include "library/frame/com_object.h"
#include "library/gen_funs/gen_funs.h"

namespace tlvx::library {

class GenFunsObject final : public frame::ComObject<_GenFuns, IID__GenFuns, GenFunsObject> {
public:
    static const platform::automation::DispatchTable dispatchTable;

    HRESULT GetCharsetList(BSTR* result) noexcept override;
    HRESULT LongToHTMLColor(LONG Color, BSTR* result) noexcept override;
    HRESULT SetMenuCaption(IDispatch** Target, BSTR MenusFile) noexcept override;
    HRESULT SetTip(IDispatch** Target, BSTR TipsFile) noexcept override;
    HRESULT InVar(VARIANT Target, SAFEARRAY** VarList, VARIANT_BOOL* result) noexcept override;
    HRESULT AdjListColWid(IDispatch** Target) noexcept override;
    HRESULT GetFilesQty(BSTR Path, LONG* result) noexcept override;
    HRESULT CheckShortcut(BSTR Shortcut, VARIANT_BOOL* result) noexcept override;
    HRESULT GetSysTempPath(BSTR* result) noexcept override;
    HRESULT GetEnglishWeekday(SHORT WeekSN, BSTR* result) noexcept override;
    HRESULT GetEnglishShortMonth(SHORT MonthSN, BSTR* result) noexcept override;

private:
    GenFuns funs_;
};

}  // namespace tlvx::library
