#pragma once
// Morcel_TLVX: the component library's identifiers, enumerations and
// interfaces, as a client compiles against them (the counterpart of a type
// library's generated header).
//
// Every interface is dual, derives from IDispatch and has no data and no
// virtual destructor, so its virtual table is its slot table: IUnknown 0-2,
// IDispatch 3-6, the methods below from slot 7 in the order written. Every
// method returns an HRESULT and delivers its result, when it has one,
// through the trailing out-parameter ([out, retval]); the caller owns what
// comes back there and frees strings with SysFreeString and arrays with
// SafeArrayDestroy. By-reference parameters are pointers; optional
// parameters are always passed in a slot call (by name they may be left out
// and take the default noted beside them). Booleans are VARIANT_BOOL
// (true = -1), Long is LONG (32 bits), Integer is SHORT (16 bits).
//
// Objects are created with CoCreateInstance(CLSID_TxtFile, nullptr,
// CLSCTX_INPROC_SERVER, IID__TxtFile, ...) or by ProgID
// ("Morcel_TLVX.TxtFile") once the module is registered.

#include "ole_types.h"

// ---------------------------------------------------------------------------
// Library, classes and interfaces

// Morcel_TLVX 1.0, "Zentor Foundation Classes for Tallyvex.", locale 0x409.
inline constexpr GUID LIBID_Morcel_TLVX = {
    0xF82CBF55, 0x34D2, 0x4FBA, {0x95, 0x09, 0x11, 0x6B, 0x40, 0xB6, 0xD6, 0xD3}};
inline constexpr WORD Morcel_TLVX_MajorVersion = 1;
inline constexpr WORD Morcel_TLVX_MinorVersion = 0;

inline constexpr CLSID CLSID_GenFuns = {
    0x5006766E, 0x0FC6, 0x40C4, {0x85, 0xA4, 0xE0, 0xD0, 0x91, 0xB0, 0xFE, 0x56}};
inline constexpr CLSID CLSID_APIFuns = {
    0x2AB5A048, 0xDD90, 0x4B41, {0xAB, 0xEC, 0x64, 0xD3, 0xB4, 0xC7, 0x14, 0x3F}};
inline constexpr CLSID CLSID_TxtFile = {
    0x1F0D9FD5, 0x62AA, 0x4589, {0x8D, 0x90, 0x17, 0x11, 0xEA, 0x19, 0xA6, 0xC7}};
inline constexpr CLSID CLSID_Base64 = {
    0x04E8730B, 0x338F, 0x4D93, {0xAD, 0x60, 0xA2, 0x49, 0x9B, 0x09, 0x22, 0xDC}};
inline constexpr CLSID CLSID_Registry = {
    0xA1A57822, 0xD218, 0x49ED, {0x80, 0xC9, 0xEB, 0x3D, 0xF6, 0xA9, 0x2C, 0x28}};

inline constexpr IID IID__GenFuns = {
    0xCC960AA1, 0x1189, 0x421E, {0x8A, 0x0A, 0xF5, 0x9E, 0x2C, 0xD8, 0x6F, 0x3F}};
inline constexpr IID IID__APIFuns = {
    0xE2686804, 0xB79B, 0x4A6A, {0xB6, 0xB2, 0xC3, 0x54, 0x4F, 0xA0, 0x7A, 0x9A}};
inline constexpr IID IID__TxtFile = {
    0x1A4EB1BA, 0xD44C, 0x4F18, {0xB0, 0x37, 0xAD, 0x49, 0x88, 0x91, 0x58, 0x73}};
inline constexpr IID IID__Base64 = {
    0x83E88529, 0xE2D8, 0x453A, {0x9B, 0x22, 0x3A, 0x92, 0xAA, 0x70, 0x57, 0xA9}};
inline constexpr IID IID__Registry = {
    0x51E76480, 0xC60D, 0x4CE4, {0x96, 0x3A, 0xE7, 0x89, 0x41, 0xD7, 0x87, 0x4A}};

// ---------------------------------------------------------------------------
// Enumerations (32 bits each)

// {F8A26CDE-7942-4A40-AC0F-0268066891E3}: the registry roots, with the
// values of the registry's root handles. There is no 0x80000004.
enum KeyRoot : ULONG {
    HKEY_CLASSES_ROOT = 0x80000000u,
    HKEY_CURRENT_CONFIG = 0x80000005u,
    HKEY_CURRENT_USER = 0x80000001u,
    HKEY_LOCAL_MACHINE = 0x80000002u,
    HKEY_USERS = 0x80000003u,
};
static_assert(sizeof(KeyRoot) == 4);

// {ED7B5626-7685-452B-A692-4FDC0CD38EEF}: registry value types.
enum KeyType : ULONG {
    REG_BINARY = 3,
    REG_EXPAND_SZ = 2,
    REG_DWORD = 4,
    REG_SZ = 1,
};
static_assert(sizeof(KeyType) == 4);

// The window show state of ExecFile and ExecCmd: the automation runtime's
// window-style enumeration {ED822018-6D7F-11CF-B949-00AA004455EA}.
enum VbAppWinStyle : LONG {
    vbHide = 0,
    vbNormalFocus = 1,
    vbMinimizedFocus = 2,
    vbMaximizedFocus = 3,
    vbNormalNoFocus = 4,
    vbMinimizedNoFocus = 6,
};
static_assert(sizeof(VbAppWinStyle) == 4);

// ---------------------------------------------------------------------------
// Interfaces. The dispatch id of a method is 0x60030000 plus the id noted
// beside it.

class _GenFuns : public IDispatch {
public:
    virtual HRESULT GetCharsetList(BSTR* result) noexcept = 0;                        // 0
    virtual HRESULT LongToHTMLColor(LONG Color, BSTR* result) noexcept = 0;           // 1
    virtual HRESULT SetMenuCaption(IDispatch** Target, BSTR MenusFile) noexcept = 0;  // 2, opt.
    virtual HRESULT SetTip(IDispatch** Target, BSTR TipsFile) noexcept = 0;           // 3, opt.
    virtual HRESULT InVar(VARIANT Target, SAFEARRAY** VarList,                        // 4
                          VARIANT_BOOL* result) noexcept = 0;
    virtual HRESULT AdjListColWid(IDispatch** Target) noexcept = 0;                   // 5
    virtual HRESULT GetFilesQty(BSTR Path, LONG* result) noexcept = 0;                // 6
    virtual HRESULT CheckShortcut(BSTR Shortcut, VARIANT_BOOL* result) noexcept = 0;  // 7
    virtual HRESULT GetSysTempPath(BSTR* result) noexcept = 0;                        // 8
    virtual HRESULT GetEnglishWeekday(SHORT WeekSN, BSTR* result) noexcept = 0;       // 9
    virtual HRESULT GetEnglishShortMonth(SHORT MonthSN, BSTR* result) noexcept = 0;   // 10

protected:
    ~_GenFuns() = default;
};

class _APIFuns : public IDispatch {
public:
    virtual HRESULT GetWindowsVersion(LONG* result) noexcept = 0;                  // 0
    virtual HRESULT AcceptDragFiles(LONG CtrHandle, LONG Accept) noexcept = 0;     // 1
    virtual HRESULT MapNetDrive(LONG WinHandle, LONG Action) noexcept = 0;         // 2
    virtual HRESULT DisconnectNetDrive(LONG WinHandle, LONG Action) noexcept = 0;  // 3
    virtual HRESULT SendMsg(LONG Handle, LONG msg, LONG ParamA,                    // 4
                            VARIANT ParamB) noexcept = 0;
    virtual HRESULT PostMsg(LONG Handle, LONG msg, LONG ParamA,  // 5
                            VARIANT ParamB) noexcept = 0;
    // DefDir and MultiSel are optional (empty, False).
    virtual HRESULT GetFilesOpenName(LONG WinHandle, BSTR Title, BSTR Filter,  // 6
                                     BSTR* DefDir, VARIANT_BOOL* MultiSel,
                                     SAFEARRAY** result) noexcept = 0;
    // DefDir and DefExt are optional (empty).
    virtual HRESULT GetFileSaveName(LONG WinHandle, BSTR Title, BSTR FileName,  // 7
                                    BSTR Filter, BSTR DefDir, BSTR DefExt,
                                    BSTR* result) noexcept = 0;
    virtual HRESULT GetFileIcon(BSTR FileName, LONG SmallPicDC,  // 8
                                LONG BigPicDC) noexcept = 0;
    virtual HRESULT ExecFile(BSTR FileName, VbAppWinStyle WinState) noexcept = 0;  // 9
    virtual HRESULT ExecCmd(BSTR Command, VbAppWinStyle WinState) noexcept = 0;    // 10
    virtual HRESULT SelectColor(LONG WinHandle, LONG* result) noexcept = 0;        // 11
    virtual HRESULT TxtOperate(LONG TxtHandle, BSTR* Action) noexcept = 0;         // 12
    virtual HRESULT ReadIni(BSTR FileName, BSTR Segment, BSTR KeyName,             // 13
                            BSTR* result) noexcept = 0;
    virtual HRESULT AddHScrollToListBox(LONG Handle, LONG Width) noexcept = 0;  // 14
    virtual HRESULT WriteIni(BSTR* FileName, BSTR* Segment, BSTR* KeyName,      // 15
                             BSTR* KeyValue) noexcept = 0;
    virtual HRESULT SetRadioMenu(LONG MenuHandle, LONG Pos) noexcept = 0;      // 16
    virtual HRESULT GetMenuHandle(LONG WinHandle, LONG* result) noexcept = 0;  // 17
    virtual HRESULT GetSubMenuHandle(LONG MenuHandle, LONG* Pos,               // 18
                                     LONG* result) noexcept = 0;
    virtual HRESULT GetSysPath(BSTR Class, BSTR* result) noexcept = 0;                     // 19
    virtual HRESULT FindWindowTitle(BSTR Title, LONG* result) noexcept = 0;                // 20
    virtual HRESULT ChooseFolder(LONG WinHandle, BSTR Prompt, BSTR* result) noexcept = 0;  // 21
    virtual HRESULT DropFiles(LONG hDrop, BSTR* result) noexcept = 0;                      // 22
    virtual HRESULT Wait(LONG Milliseconds) noexcept = 0;                                  // 23
    virtual HRESULT GetSpecialFolder(SHORT ID, BSTR* result) noexcept = 0;                 // 24
    virtual HRESULT QueryRecycleBin(BSTR Drive, BSTR* result) noexcept = 0;        // 25, opt.
    virtual HRESULT GetUserTempPath(BSTR* result) noexcept = 0;                    // 26
    virtual HRESULT DelUntilReboot(BSTR FileName) noexcept = 0;                    // 27
    virtual HRESULT SetTreeViewBgColor(LONG TvHandle, LONG BgColor) noexcept = 0;  // 28
    virtual HRESULT EmptyRecycleBin(LONG WinHandle, BSTR Drive) noexcept = 0;      // 29, opt.
    // BgColor and ForeColor are optional (0).
    virtual HRESULT SetLVHeaderColor(LONG Handle, VARIANT_BOOL SetUnset,  // 30
                                     LONG BgColor, LONG ForeColor) noexcept = 0;
    virtual HRESULT DelToRecycled(BSTR FileName) noexcept = 0;  // 31
    virtual HRESULT ShowFileFolderProperties(LONG Handle,       // 32
                                             BSTR FileFolderName) noexcept = 0;
    virtual HRESULT LoadDLL(BSTR DLLFile, LONG* result) noexcept = 0;                     // 33
    virtual HRESULT GetDLLString(LONG ResHandle, LONG ResID, BSTR* result) noexcept = 0;  // 34
    virtual HRESULT UnloadDLL(LONG ResHandle) noexcept = 0;                               // 35
    virtual HRESULT KillProcess(BSTR NameProcess) noexcept = 0;                           // 36
    virtual HRESULT SetClipboardText(BSTR Text) noexcept = 0;                             // 37
    virtual HRESULT GetClipboardText(BSTR* result) noexcept = 0;                          // 38

protected:
    ~_APIFuns() = default;
};

class _TxtFile : public IDispatch {
public:
    virtual HRESULT AppendLine(BSTR FileName, BSTR* Content) noexcept = 0;   // 0
    virtual HRESULT ReadLastLine(BSTR FileName, BSTR* result) noexcept = 0;  // 1
    virtual HRESULT GetLineQty(BSTR FileName, LONG* result) noexcept = 0;    // 2
    // Separator and FieldNo are optional ("", 0).
    virtual HRESULT DeleteLine(BSTR FileName, BSTR Content, BSTR Separator,  // 3
                               SHORT FieldNo) noexcept = 0;
    // Separator and FieldNo are optional ("", 0).
    virtual HRESULT ModifyLine(BSTR FileName, BSTR OldString, BSTR NewString,  // 4
                               BSTR Separator, SHORT FieldNo) noexcept = 0;
    virtual HRESULT FindLine(BSTR FileName, BSTR Line, VARIANT_BOOL* result) noexcept = 0;  // 5
    // MatchCase is optional (True).
    virtual HRESULT GetLineNoByFind(BSTR FileName, BSTR FindString,  // 6
                                    VARIANT_BOOL MatchCase, LONG* result) noexcept = 0;
    // MatchCase is optional (True).
    virtual HRESULT GetLineStrByFind(BSTR FileName, BSTR FindString,  // 7
                                     VARIANT_BOOL MatchCase, BSTR* result) noexcept = 0;
    // CharSet is optional ("utf-8").
    virtual HRESULT WriteByCharset(BSTR FileName, BSTR Content,  // 8
                                   BSTR CharSet) noexcept = 0;
    // CharSet is optional ("utf-8").
    virtual HRESULT ReadByCharset(BSTR FileName, BSTR CharSet, BSTR* result) noexcept = 0;  // 9
    virtual HRESULT AutoRead(BSTR FileName, BSTR* result) noexcept = 0;                     // 10
    virtual HRESULT GetEncoding(BSTR FileName, BSTR* result) noexcept = 0;                  // 11

protected:
    ~_TxtFile() = default;
};

// Dispatch ids 1, 2 and 4 are not used.
class _Base64 : public IDispatch {
public:
    // CharSet is optional ("utf-8").
    virtual HRESULT Encode(BSTR Source, BSTR CharSet, BSTR* result) noexcept = 0;  // 0
    virtual HRESULT EncodeFile(BSTR astrFile, BSTR* result) noexcept = 0;          // 3
    // CharSet is optional ("utf-8").
    virtual HRESULT Decode(BSTR* sInput, BSTR CharSet, BSTR* result) noexcept = 0;  // 5
    virtual HRESULT DecodeToFile(BSTR* sInput, BSTR* sFileName) noexcept = 0;       // 6

protected:
    ~_Base64() = default;
};

// Dispatch ids 8 and 9 are not used.
class _Registry : public IDispatch {
public:
    virtual HRESULT ExportRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* FileName,  // 0
                                 VARIANT_BOOL* result) noexcept = 0;
    virtual HRESULT ImportRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* FileName,  // 1
                                 VARIANT_BOOL* result) noexcept = 0;
    // NoKeyFoundValue is optional ("").
    virtual HRESULT ReadRegKey(KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey,  // 2
                               BSTR* NoKeyFoundValue, BSTR* result) noexcept = 0;
    virtual HRESULT WriteRegKey(KeyType* Type, KeyRoot* Root, BSTR* KeyPath,  // 3
                                BSTR* SubKey, BSTR* SubKeyValue, VARIANT_BOOL* result) noexcept = 0;
    virtual HRESULT EnumerateRegKeys(KeyRoot* Root, BSTR* KeyPath,  // 4
                                     BSTR* result) noexcept = 0;
    virtual HRESULT EnumerateRegKeyValues(KeyRoot* Root, BSTR* KeyPath,  // 5
                                          BSTR* result) noexcept = 0;
    virtual HRESULT DeleteRegKey(KeyRoot* Root, BSTR* KeyPath) noexcept = 0;  // 6
    // SubKey is optional ("").
    virtual HRESULT DeleteRegKeyValue(KeyRoot* Root, BSTR* KeyPath, BSTR* SubKey,  // 7
                                      VARIANT_BOOL* result) noexcept = 0;
    virtual HRESULT GetRegKeyItems(KeyRoot* Root, BSTR* KeyPath,  // 10
                                   SHORT* result) noexcept = 0;
    virtual HRESULT EnumerateRegKeyItemNames(KeyRoot* Root, BSTR* KeyPath,  // 11
                                             BSTR* result) noexcept = 0;

protected:
    ~_Registry() = default;
};
