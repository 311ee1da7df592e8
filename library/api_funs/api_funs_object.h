#pragma once
// The APIFuns class as clients see it (_APIFuns): each method turns its
// automation arguments into the class's logic (api_funs.h and the units
// beside it) and its result back.

#include "include/tallyvex/Morcel_TLVX.h"
#include "library/api_funs/api_funs.h"
#include "library/frame/com_object.h"

namespace tlvx::library {

class APIFunsObject final : public frame::ComObject<_APIFuns, IID__APIFuns, APIFunsObject> {
public:
    static const platform::automation::DispatchTable dispatchTable;

    HRESULT GetWindowsVersion(LONG* result) noexcept override;
    HRESULT AcceptDragFiles(LONG CtrHandle, LONG Accept) noexcept override;
    HRESULT MapNetDrive(LONG WinHandle, LONG Action) noexcept override;
    HRESULT DisconnectNetDrive(LONG WinHandle, LONG Action) noexcept override;
    HRESULT SendMsg(LONG Handle, LONG msg, LONG ParamA, VARIANT ParamB) noexcept override;
    HRESULT PostMsg(LONG Handle, LONG msg, LONG ParamA, VARIANT ParamB) noexcept override;
    HRESULT GetFilesOpenName(LONG WinHandle, BSTR Title, BSTR Filter, BSTR* DefDir,
                             VARIANT_BOOL* MultiSel, SAFEARRAY** result) noexcept override;
    HRESULT GetFileSaveName(LONG WinHandle, BSTR Title, BSTR FileName, BSTR Filter, BSTR DefDir,
                            BSTR DefExt, BSTR* result) noexcept override;
    HRESULT GetFileIcon(BSTR FileName, LONG SmallPicDC, LONG BigPicDC) noexcept override;
    HRESULT ExecFile(BSTR FileName, VbAppWinStyle WinState) noexcept override;
    HRESULT ExecCmd(BSTR Command, VbAppWinStyle WinState) noexcept override;
    HRESULT SelectColor(LONG WinHandle, LONG* result) noexcept override;
    HRESULT TxtOperate(LONG TxtHandle, BSTR* Action) noexcept override;
    HRESULT ReadIni(BSTR FileName, BSTR Segment, BSTR KeyName, BSTR* result) noexcept override;
    HRESULT AddHScrollToListBox(LONG Handle, LONG Width) noexcept override;
    HRESULT WriteIni(BSTR* FileName, BSTR* Segment, BSTR* KeyName,
                     BSTR* KeyValue) noexcept override;
    HRESULT SetRadioMenu(LONG MenuHandle, LONG Pos) noexcept override;
    HRESULT GetMenuHandle(LONG WinHandle, LONG* result) noexcept override;
    HRESULT GetSubMenuHandle(LONG MenuHandle, LONG* Pos, LONG* result) noexcept override;
    HRESULT GetSysPath(BSTR Class, BSTR* result) noexcept override;
    HRESULT FindWindowTitle(BSTR Title, LONG* result) noexcept override;
    HRESULT ChooseFolder(LONG WinHandle, BSTR Prompt, BSTR* result) noexcept override;
    HRESULT DropFiles(LONG hDrop, BSTR* result) noexcept override;
    HRESULT Wait(LONG Milliseconds) noexcept override;
    HRESULT GetSpecialFolder(SHORT ID, BSTR* result) noexcept override;
    HRESULT QueryRecycleBin(BSTR Drive, BSTR* result) noexcept override;
    HRESULT GetUserTempPath(BSTR* result) noexcept override;
    HRESULT DelUntilReboot(BSTR FileName) noexcept override;
    HRESULT SetTreeViewBgColor(LONG TvHandle, LONG BgColor) noexcept override;
    HRESULT EmptyRecycleBin(LONG WinHandle, BSTR Drive) noexcept override;
    HRESULT SetLVHeaderColor(LONG Handle, VARIANT_BOOL SetUnset, LONG BgColor,
                             LONG ForeColor) noexcept override;
    HRESULT DelToRecycled(BSTR FileName) noexcept override;
    HRESULT ShowFileFolderProperties(LONG Handle, BSTR FileFolderName) noexcept override;
    HRESULT LoadDLL(BSTR DLLFile, LONG* result) noexcept override;
    HRESULT GetDLLString(LONG ResHandle, LONG ResID, BSTR* result) noexcept override;
    HRESULT UnloadDLL(LONG ResHandle) noexcept override;
    HRESULT KillProcess(BSTR NameProcess) noexcept override;
    HRESULT SetClipboardText(BSTR Text) noexcept override;
    HRESULT GetClipboardText(BSTR* result) noexcept override;

private:
    APIFuns api_;
};

}  // namespace tlvx::library
