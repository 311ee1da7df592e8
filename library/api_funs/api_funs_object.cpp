#include "library/api_funs/api_funs_object.h"

#include <optional>

#include "library/frame/class_face.h"

namespace tlvx::library {

using namespace frame::face;

namespace {

using I = _APIFuns;

constexpr Method kMethods[] = {
    method<&I::GetWindowsVersion>(u"GetWindowsVersion", 0, VT_I4),
    method<&I::AcceptDragFiles>(u"AcceptDragFiles", 1, VT_EMPTY,
                                {byVal(u"CtrHandle", VT_I4), byVal(u"Accept", VT_I4)}),
    method<&I::MapNetDrive>(u"MapNetDrive", 2, VT_EMPTY,
                            {byVal(u"WinHandle", VT_I4), byVal(u"Action", VT_I4)}),
    method<&I::DisconnectNetDrive>(u"DisconnectNetDrive", 3, VT_EMPTY,
                                   {byVal(u"WinHandle", VT_I4), byVal(u"Action", VT_I4)}),
    method<&I::SendMsg>(u"SendMsg", 4, VT_EMPTY,
                        {byVal(u"Handle", VT_I4), byVal(u"msg", VT_I4), byVal(u"ParamA", VT_I4),
                         byVal(u"ParamB", VT_VARIANT)}),
    method<&I::PostMsg>(u"PostMsg", 5, VT_EMPTY,
                        {byVal(u"Handle", VT_I4), byVal(u"msg", VT_I4), byVal(u"ParamA", VT_I4),
                         byVal(u"ParamB", VT_VARIANT)}),
    method<&I::GetFilesOpenName>(
        u"GetFilesOpenName", 6, VT_ARRAY | VT_BSTR,
        {byVal(u"WinHandle", VT_I4), byVal(u"Title", VT_BSTR), byVal(u"Filter", VT_BSTR),
         optRef(u"DefDir", VT_BSTR), optRef(u"MultiSel", VT_BOOL)}),
    method<&I::GetFileSaveName>(
        u"GetFileSaveName", 7, VT_BSTR,
        {byVal(u"WinHandle", VT_I4), byVal(u"Title", VT_BSTR), byVal(u"FileName", VT_BSTR),
         byVal(u"Filter", VT_BSTR), optVal(u"DefDir", VT_BSTR), optVal(u"DefExt", VT_BSTR)}),
    method<&I::GetFileIcon>(
        u"GetFileIcon", 8, VT_EMPTY,
        {byVal(u"FileName", VT_BSTR), byVal(u"SmallPicDC", VT_I4), byVal(u"BigPicDC", VT_I4)}),
    method<&I::ExecFile>(u"ExecFile", 9, VT_EMPTY,
                         {byVal(u"FileName", VT_BSTR), byVal(u"WinState", VT_I4)}),
    method<&I::ExecCmd>(u"ExecCmd", 10, VT_EMPTY,
                        {byVal(u"Command", VT_BSTR), byVal(u"WinState", VT_I4)}),
    method<&I::SelectColor>(u"SelectColor", 11, VT_I4, {byVal(u"WinHandle", VT_I4)}),
    method<&I::TxtOperate>(u"TxtOperate", 12, VT_EMPTY,
                           {byVal(u"TxtHandle", VT_I4), byRef(u"Action", VT_BSTR)}),
    method<&I::ReadIni>(
        u"ReadIni", 13, VT_BSTR,
        {byVal(u"FileName", VT_BSTR), byVal(u"Segment", VT_BSTR), byVal(u"KeyName", VT_BSTR)}),
    method<&I::AddHScrollToListBox>(u"AddHScrollToListBox", 14, VT_EMPTY,
                                    {byVal(u"Handle", VT_I4), byVal(u"Width", VT_I4)}),
    method<&I::WriteIni>(u"WriteIni", 15, VT_EMPTY,
                         {byRef(u"FileName", VT_BSTR), byRef(u"Segment", VT_BSTR),
                          byRef(u"KeyName", VT_BSTR), byRef(u"KeyValue", VT_BSTR)}),
    method<&I::SetRadioMenu>(u"SetRadioMenu", 16, VT_EMPTY,
                             {byVal(u"MenuHandle", VT_I4), byVal(u"Pos", VT_I4)}),
    method<&I::GetMenuHandle>(u"GetMenuHandle", 17, VT_I4, {byVal(u"WinHandle", VT_I4)}),
    method<&I::GetSubMenuHandle>(u"GetSubMenuHandle", 18, VT_I4,
                                 {byVal(u"MenuHandle", VT_I4), byRef(u"Pos", VT_I4)}),
    method<&I::GetSysPath>(u"GetSysPath", 19, VT_BSTR, {byVal(u"Class", VT_BSTR)}),
    method<&I::FindWindowTitle>(u"FindWindowTitle", 20, VT_I4, {byVal(u"Title", VT_BSTR)}),
    method<&I::ChooseFolder>(u"ChooseFolder", 21, VT_BSTR,
                             {byVal(u"WinHandle", VT_I4), byVal(u"Prompt", VT_BSTR)}),
    method<&I::DropFiles>(u"DropFiles", 22, VT_BSTR, {byVal(u"hDrop", VT_I4)}),
    method<&I::Wait>(u"Wait", 23, VT_EMPTY, {byVal(u"Milliseconds", VT_I4)}),
    method<&I::GetSpecialFolder>(u"GetSpecialFolder", 24, VT_BSTR, {byVal(u"ID", VT_I2)}),
    method<&I::QueryRecycleBin>(u"QueryRecycleBin", 25, VT_BSTR, {optVal(u"Drive", VT_BSTR)}),
    method<&I::GetUserTempPath>(u"GetUserTempPath", 26, VT_BSTR),
    method<&I::DelUntilReboot>(u"DelUntilReboot", 27, VT_EMPTY, {byVal(u"FileName", VT_BSTR)}),
    method<&I::SetTreeViewBgColor>(u"SetTreeViewBgColor", 28, VT_EMPTY,
                                   {byVal(u"TvHandle", VT_I4), byVal(u"BgColor", VT_I4)}),
    method<&I::EmptyRecycleBin>(u"EmptyRecycleBin", 29, VT_EMPTY,
                                {byVal(u"WinHandle", VT_I4), optVal(u"Drive", VT_BSTR)}),
    method<&I::SetLVHeaderColor>(u"SetLVHeaderColor", 30, VT_EMPTY,
                                 {byVal(u"Handle", VT_I4), byVal(u"SetUnset", VT_BOOL),
                                  optVal(u"BgColor", VT_I4), optVal(u"ForeColor", VT_I4)}),
    method<&I::DelToRecycled>(u"DelToRecycled", 31, VT_EMPTY, {byVal(u"FileName", VT_BSTR)}),
    method<&I::ShowFileFolderProperties>(
        u"ShowFileFolderProperties", 32,
        VT_EMPTY, {byVal(u"Handle", VT_I4), byVal(u"FileFolderName", VT_BSTR)}),
    method<&I::LoadDLL>(u"LoadDLL", 33, VT_I4, {byVal(u"DLLFile", VT_BSTR)}),
    method<&I::GetDLLString>(u"GetDLLString", 34, VT_BSTR,
                             {byVal(u"ResHandle", VT_I4), byVal(u"ResID", VT_I4)}),
    method<&I::UnloadDLL>(u"UnloadDLL", 35, VT_EMPTY, {byVal(u"ResHandle", VT_I4)}),
    method<&I::KillProcess>(u"KillProcess", 36, VT_EMPTY, {byVal(u"NameProcess", VT_BSTR)}),
    method<&I::SetClipboardText>(u"SetClipboardText", 37, VT_EMPTY, {byVal(u"Text", VT_BSTR)}),
    method<&I::GetClipboardText>(u"GetClipboardText", 38, VT_BSTR),
};
static_assert(wellFormed(kMethods));

// A message's second parameter: the number it reads as, and the text of a
// string (which a message that sets a text takes whole).
platform::desktop::MessageParam messageParam(const VARIANT& given) {
    platform::desktop::MessageParam param;
    VARIANT number;
    VariantInit(&number);
    if (SUCCEEDED(VariantChangeType(&number, &given, 0, VT_I4))) param.number = number.lVal;
    const VARIANT* value = &given;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
    if (value->vt == VT_BSTR) param.text = text(value->bstrVal);
    if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal) param.text = text(*value->pbstrVal);
    return param;
}

}  // namespace

constinit const DispatchTable APIFunsObject::dispatchTable = kMethods;

HRESULT APIFunsObject::GetWindowsVersion(LONG* result) noexcept {
    return answer(result, [&] { return api_.GetWindowsVersion(); });
}

HRESULT APIFunsObject::AcceptDragFiles(LONG CtrHandle, LONG Accept) noexcept {
    return perform([&] { api_.AcceptDragFiles(CtrHandle, Accept); });
}

HRESULT APIFunsObject::MapNetDrive(LONG WinHandle, LONG Action) noexcept {
    return perform([&] { api_.MapNetDrive(WinHandle, Action); });
}

HRESULT APIFunsObject::DisconnectNetDrive(LONG WinHandle, LONG Action) noexcept {
    return perform([&] { api_.DisconnectNetDrive(WinHandle, Action); });
}

HRESULT APIFunsObject::SendMsg(LONG Handle, LONG msg, LONG ParamA, VARIANT ParamB) noexcept {
    return perform([&] { api_.SendMsg(Handle, msg, ParamA, messageParam(ParamB)); });
}

HRESULT APIFunsObject::PostMsg(LONG Handle, LONG msg, LONG ParamA, VARIANT ParamB) noexcept {
    return perform([&] { api_.PostMsg(Handle, msg, ParamA, messageParam(ParamB)); });
}

HRESULT APIFunsObject::GetFilesOpenName(LONG WinHandle, BSTR Title, BSTR Filter, BSTR* DefDir,
                                        VARIANT_BOOL* MultiSel, SAFEARRAY** result) noexcept {
    return fillResult(result, [&] {
        const auto chosen = api_.GetFilesOpenName(WinHandle, text(Title), text(Filter),
                                                  DefDir ? text(*DefDir) : std::u16string(),
                                                  MultiSel && *MultiSel != VARIANT_FALSE);
        // A cancel is an array without elements, never a missing array.
        SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(chosen.size()));
        if (!array) return E_OUTOFMEMORY;
        for (LONG i = 0; i < static_cast<LONG>(chosen.size()); ++i) {
            BSTR element = allocBstr(chosen[static_cast<std::size_t>(i)]);
            const HRESULT put = element ? SafeArrayPutElement(array, &i, element) : E_OUTOFMEMORY;
            SysFreeString(element);
            if (FAILED(put)) {
                SafeArrayDestroy(array);
                return put;
            }
        }
        *result = array;
        return S_OK;
    });
}

HRESULT APIFunsObject::GetFileSaveName(LONG WinHandle, BSTR Title, BSTR FileName, BSTR Filter,
                                       BSTR DefDir, BSTR DefExt, BSTR* result) noexcept {
    return answer(result, [&] {
        return api_.GetFileSaveName(WinHandle, text(Title), text(FileName), text(Filter),
                                    text(DefDir), text(DefExt));
    });
}

HRESULT APIFunsObject::GetFileIcon(BSTR FileName, LONG SmallPicDC, LONG BigPicDC) noexcept {
    return perform([&] { api_.GetFileIcon(text(FileName), SmallPicDC, BigPicDC); });
}

HRESULT APIFunsObject::ExecFile(BSTR FileName, VbAppWinStyle WinState) noexcept {
    return perform([&] { api_.ExecFile(text(FileName), WinState); });
}

HRESULT APIFunsObject::ExecCmd(BSTR Command, VbAppWinStyle WinState) noexcept {
    return perform([&] { api_.ExecCmd(text(Command), WinState); });
}

HRESULT APIFunsObject::SelectColor(LONG WinHandle, LONG* result) noexcept {
    return answer(result, [&] { return api_.SelectColor(WinHandle); });
}

HRESULT APIFunsObject::TxtOperate(LONG TxtHandle, BSTR* Action) noexcept {
    return perform(given(Action), [&] { api_.TxtOperate(TxtHandle, text(*Action)); });
}

HRESULT APIFunsObject::ReadIni(BSTR FileName, BSTR Segment, BSTR KeyName, BSTR* result) noexcept {
    return answer(result,
                  [&] { return api_.ReadIni(text(FileName), text(Segment), text(KeyName)); });
}

HRESULT APIFunsObject::AddHScrollToListBox(LONG Handle, LONG Width) noexcept {
    return perform([&] { api_.AddHScrollToListBox(Handle, Width); });
}

HRESULT APIFunsObject::WriteIni(BSTR* FileName, BSTR* Segment, BSTR* KeyName,
                                BSTR* KeyValue) noexcept {
    return perform(given(FileName, Segment, KeyName, KeyValue), [&] {
        // A null key or value (not an empty one) removes the section or key;
        // a null section writes nothing.
        const auto optionalText = [](BSTR b) { return b ? std::optional(text(b)) : std::nullopt; };
        std::u16string file = text(*FileName);
        std::optional<std::u16string> segment = optionalText(*Segment);
        std::optional<std::u16string> key = optionalText(*KeyName);
        std::optional<std::u16string> value = optionalText(*KeyValue);
        api_.WriteIni(file, segment, key, value);
        // Each argument now holds its text as the code page keeps it.
        HRESULT hr = S_OK;
        const auto writeBack = [&](BSTR* arg, const std::optional<std::u16string>& now) {
            if (!now || (*arg && bstrView(*arg) == *now)) return;
            if (FAILED(replaceText(arg, *now))) hr = E_OUTOFMEMORY;
        };
        writeBack(FileName, file);
        writeBack(Segment, segment);
        writeBack(KeyName, key);
        writeBack(KeyValue, value);
        return hr;
    });
}

HRESULT APIFunsObject::SetRadioMenu(LONG MenuHandle, LONG Pos) noexcept {
    return perform([&] { api_.SetRadioMenu(MenuHandle, Pos); });
}

HRESULT APIFunsObject::GetMenuHandle(LONG WinHandle, LONG* result) noexcept {
    return answer(result, [&] { return api_.GetMenuHandle(WinHandle); });
}

// A missing Pos is refused before the result is touched.
HRESULT APIFunsObject::GetSubMenuHandle(LONG MenuHandle, LONG* Pos, LONG* result) noexcept {
    return answer(Pos ? result : nullptr, [&] { return api_.GetSubMenuHandle(MenuHandle, *Pos); });
}

HRESULT APIFunsObject::GetSysPath(BSTR Class, BSTR* result) noexcept {
    return answer(result, [&] { return api_.GetSysPath(text(Class)); });
}

HRESULT APIFunsObject::FindWindowTitle(BSTR Title, LONG* result) noexcept {
    return answer(result, [&] { return api_.FindWindowTitle(text(Title)); });
}

HRESULT APIFunsObject::ChooseFolder(LONG WinHandle, BSTR Prompt, BSTR* result) noexcept {
    return answer(result, [&] { return api_.ChooseFolder(WinHandle, text(Prompt)); });
}

HRESULT APIFunsObject::DropFiles(LONG hDrop, BSTR* result) noexcept {
    return answer(result, [&] { return api_.DropFiles(hDrop); });
}

HRESULT APIFunsObject::Wait(LONG Milliseconds) noexcept {
    return perform([&] { api_.Wait(Milliseconds); });
}

HRESULT APIFunsObject::GetSpecialFolder(SHORT ID, BSTR* result) noexcept {
    return answer(result, [&] { return api_.GetSpecialFolder(ID); });
}

HRESULT APIFunsObject::QueryRecycleBin(BSTR Drive, BSTR* result) noexcept {
    return answer(result, [&] { return api_.QueryRecycleBin(text(Drive)); });
}

HRESULT APIFunsObject::GetUserTempPath(BSTR* result) noexcept {
    return answer(result, [&] { return api_.GetUserTempPath(); });
}

HRESULT APIFunsObject::DelUntilReboot(BSTR FileName) noexcept {
    return perform([&] { api_.DelUntilReboot(text(FileName)); });
}

HRESULT APIFunsObject::SetTreeViewBgColor(LONG TvHandle, LONG BgColor) noexcept {
    return perform([&] { api_.SetTreeViewBgColor(TvHandle, BgColor); });
}

HRESULT APIFunsObject::EmptyRecycleBin(LONG WinHandle, BSTR Drive) noexcept {
    return perform([&] { api_.EmptyRecycleBin(WinHandle, text(Drive)); });
}

HRESULT APIFunsObject::SetLVHeaderColor(LONG Handle, VARIANT_BOOL SetUnset, LONG BgColor,
                                        LONG ForeColor) noexcept {
    return perform(
        [&] { api_.SetLVHeaderColor(Handle, SetUnset != VARIANT_FALSE, BgColor, ForeColor); });
}

HRESULT APIFunsObject::DelToRecycled(BSTR FileName) noexcept {
    return perform([&] { api_.DelToRecycled(text(FileName)); });
}

HRESULT APIFunsObject::ShowFileFolderProperties(LONG Handle, BSTR FileFolderName) noexcept {
    return perform([&] { api_.ShowFileFolderProperties(Handle, text(FileFolderName)); });
}

HRESULT APIFunsObject::LoadDLL(BSTR DLLFile, LONG* result) noexcept {
    return answer(result, [&] { return api_.LoadDLL(text(DLLFile)); });
}

HRESULT APIFunsObject::GetDLLString(LONG ResHandle, LONG ResID, BSTR* result) noexcept {
    return answer(result, [&] { return api_.GetDLLString(ResHandle, ResID); });
}

HRESULT APIFunsObject::UnloadDLL(LONG ResHandle) noexcept {
    return perform([&] { api_.UnloadDLL(ResHandle); });
}

HRESULT APIFunsObject::KillProcess(BSTR NameProcess) noexcept {
    return perform([&] { api_.KillProcess(text(NameProcess)); });
}

HRESULT APIFunsObject::SetClipboardText(BSTR Text) noexcept {
    return perform([&] { api_.SetClipboardText(text(Text)); });
}

// The one method whose failure reaches its caller, as a failing status.
HRESULT APIFunsObject::GetClipboardText(BSTR* result) noexcept {
    return answer(result, [&] { return api_.GetClipboardText(); });
}

}  // namespace tlvx::library
