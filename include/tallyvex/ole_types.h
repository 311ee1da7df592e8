#pragma once
// The COM and automation definitions a client of the component library
// compiles against: the Windows names, the Windows binary layouts of the
// x64 ABI, and the automation runtime functions exported by the platform
// library. Code written against the usual Windows COM headers compiles
// with this one, with two differences of this system: OLECHAR is char16_t
// (wchar_t is 32 bits here, so literals are u"..." or OLESTR("...")), and
// the calling convention is the platform's default one.
//
// Interfaces are abstract classes without data and without a virtual
// destructor, so that the virtual table is exactly the slot table
// (IUnknown 0-2, IDispatch 3-6, ...). Every method is noexcept: no C++
// exception ever crosses a component interface.

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Scalar types

using HRESULT = int32_t;
using SCODE = int32_t;
using LONG = int32_t;
using DISPID = int32_t;
using INT = int32_t;
using BOOL = int32_t;
using ULONG = uint32_t;
using LCID = uint32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using WORD = uint16_t;
using CHAR = char;
using BYTE = uint8_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using FLOAT = float;
using DOUBLE = double;
using DATE = double;
using PVOID = void*;
using LPVOID = void*;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using OLECHAR = char16_t;
using WCHAR = char16_t;  // the Windows WCHAR is 16 bits; wchar_t is not, here
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

#define OLESTR(text) u##text
#define STDMETHODCALLTYPE

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// ---------------------------------------------------------------------------
// GUIDs

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;

constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) return false;
    }
    return true;
}
constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}
constexpr bool IsEqualIID(REFIID a, REFIID b) {
    return a == b;
}
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return a == b;
}

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_ISupportErrorInfo = {
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xF0, 0xD7}};
inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xF0, 0xD7}};
inline constexpr IID IID_ICreateErrorInfo = {
    0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xF0, 0xD7}};

// ---------------------------------------------------------------------------
// HRESULTs

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

constexpr HRESULT MAKE_HRESULT(uint32_t severity, uint32_t facility, uint32_t code) {
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | code);
}
constexpr HRESULT HRESULT_FROM_WIN32(uint32_t error) {
    return static_cast<int32_t>(error) <= 0
               ? static_cast<HRESULT>(error)
               : static_cast<HRESULT>((error & 0x0000FFFFu) | (7u << 16) | 0x80000000u);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT NOERROR = 0;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150u);
inline constexpr HRESULT REGDB_E_WRITEREGDB = static_cast<HRESULT>(0x80040151u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);
inline constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007u);
inline constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
inline constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
inline constexpr HRESULT DISP_E_UNKNOWNLCID = static_cast<HRESULT>(0x8002000Cu);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = static_cast<HRESULT>(0x8002000Du);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000Fu);
inline constexpr HRESULT DISP_E_BADCALLEE = static_cast<HRESULT>(0x80020010u);
inline constexpr HRESULT DISP_E_NOTACOLLECTION = static_cast<HRESULT>(0x80020011u);
inline constexpr HRESULT DISP_E_DIVBYZERO = static_cast<HRESULT>(0x80020012u);

// ---------------------------------------------------------------------------
// Variant types and flags

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_RECORD = 36,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

// VariantChangeType flags.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x02;
inline constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
inline constexpr USHORT VARIANT_CALENDAR_HIJRI = 0x08;
inline constexpr USHORT VARIANT_LOCALBOOL = 0x10;

// IDispatch::Invoke flags and special dispatch ids.
inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;
inline constexpr DISPID DISPID_EVALUATE = -5;

inline constexpr LCID LOCALE_NEUTRAL = 0x0000;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

// Class contexts and apartment models.
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr DWORD CLSCTX_SERVER =
    CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
inline constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// SAFEARRAY features.
inline constexpr USHORT FADF_AUTO = 0x0001;
inline constexpr USHORT FADF_STATIC = 0x0002;
inline constexpr USHORT FADF_EMBEDDED = 0x0004;
inline constexpr USHORT FADF_FIXEDSIZE = 0x0010;
inline constexpr USHORT FADF_RECORD = 0x0020;
inline constexpr USHORT FADF_HAVEIID = 0x0040;
inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_DISPATCH = 0x0400;
inline constexpr USHORT FADF_VARIANT = 0x0800;

// ---------------------------------------------------------------------------
// Structures, in the Windows x64 layouts

class IUnknown;
class IDispatch;
class ITypeInfo;    // not provided; only its pointer appears in IDispatch
class IRecordInfo;  // not provided; only its pointer appears in VARIANT

union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    };
    LONGLONG int64;
};
static_assert(sizeof(CY) == 8);

struct DECIMAL {
    USHORT wReserved;
    union {
        struct {
            BYTE scale;
            BYTE sign;
        };
        USHORT signscale;
    };
    ULONG Hi32;
    union {
        struct {
            ULONG Lo32;
            ULONG Mid32;
        };
        ULONGLONG Lo64;
    };
};
static_assert(sizeof(DECIMAL) == 16);
inline constexpr BYTE DECIMAL_NEG = 0x80;

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};
static_assert(sizeof(SAFEARRAYBOUND) == 8);

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    PVOID pvData;
    SAFEARRAYBOUND rgsabound[1];
};
static_assert(sizeof(SAFEARRAY) == 32);
static_assert(offsetof(SAFEARRAY, pvData) == 16);
static_assert(offsetof(SAFEARRAY, rgsabound) == 24);
using LPSAFEARRAY = SAFEARRAY*;

struct VARIANT {
    union {
        struct {
            VARTYPE vt;
            WORD wReserved1;
            WORD wReserved2;
            WORD wReserved3;
            union {
                LONGLONG llVal;
                LONG lVal;
                BYTE bVal;
                SHORT iVal;
                FLOAT fltVal;
                DOUBLE dblVal;
                VARIANT_BOOL boolVal;
                SCODE scode;
                CY cyVal;
                DATE date;
                BSTR bstrVal;
                IUnknown* punkVal;
                IDispatch* pdispVal;
                SAFEARRAY* parray;
                BYTE* pbVal;
                SHORT* piVal;
                LONG* plVal;
                LONGLONG* pllVal;
                FLOAT* pfltVal;
                DOUBLE* pdblVal;
                VARIANT_BOOL* pboolVal;
                SCODE* pscode;
                CY* pcyVal;
                DATE* pdate;
                BSTR* pbstrVal;
                IUnknown** ppunkVal;
                IDispatch** ppdispVal;
                SAFEARRAY** pparray;
                VARIANT* pvarVal;
                PVOID byref;
                CHAR cVal;
                USHORT uiVal;
                ULONG ulVal;
                ULONGLONG ullVal;
                INT intVal;
                UINT uintVal;
                DECIMAL* pdecVal;
                CHAR* pcVal;
                USHORT* puiVal;
                ULONG* pulVal;
                ULONGLONG* pullVal;
                INT* pintVal;
                UINT* puintVal;
                struct {
                    PVOID pvRecord;
                    IRecordInfo* pRecInfo;
                };
            };
        };
        DECIMAL decVal;
    };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
using LPVARIANTARG = VARIANT*;
static_assert(sizeof(VARIANT) == 24);
static_assert(offsetof(VARIANT, vt) == 0);
static_assert(offsetof(VARIANT, wReserved1) == 2);
static_assert(offsetof(VARIANT, wReserved3) == 6);
static_assert(offsetof(VARIANT, lVal) == 8);
static_assert(offsetof(VARIANT, dblVal) == 8);
static_assert(offsetof(VARIANT, bstrVal) == 8);
static_assert(offsetof(VARIANT, pRecInfo) == 16);
static_assert(offsetof(VARIANT, decVal) == 0);

struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};
static_assert(sizeof(DISPPARAMS) == 24);

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    PVOID pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};
using LPEXCEPINFO = EXCEPINFO*;
static_assert(sizeof(EXCEPINFO) == 64);
static_assert(offsetof(EXCEPINFO, bstrSource) == 8);
static_assert(offsetof(EXCEPINFO, dwHelpContext) == 32);
static_assert(offsetof(EXCEPINFO, pfnDeferredFillIn) == 48);
static_assert(offsetof(EXCEPINFO, scode) == 56);

// Accessors as the Windows headers name them.
#define V_VT(X) ((X)->vt)
#define V_ISBYREF(X) ((V_VT(X) & VT_BYREF) != 0)
#define V_ISARRAY(X) ((V_VT(X) & VT_ARRAY) != 0)
#define V_I1(X) ((X)->cVal)
#define V_UI1(X) ((X)->bVal)
#define V_I2(X) ((X)->iVal)
#define V_UI2(X) ((X)->uiVal)
#define V_I4(X) ((X)->lVal)
#define V_UI4(X) ((X)->ulVal)
#define V_I8(X) ((X)->llVal)
#define V_UI8(X) ((X)->ullVal)
#define V_INT(X) ((X)->intVal)
#define V_UINT(X) ((X)->uintVal)
#define V_R4(X) ((X)->fltVal)
#define V_R8(X) ((X)->dblVal)
#define V_CY(X) ((X)->cyVal)
#define V_DATE(X) ((X)->date)
#define V_BSTR(X) ((X)->bstrVal)
#define V_BOOL(X) ((X)->boolVal)
#define V_ERROR(X) ((X)->scode)
#define V_UNKNOWN(X) ((X)->punkVal)
#define V_DISPATCH(X) ((X)->pdispVal)
#define V_ARRAY(X) ((X)->parray)
#define V_DECIMAL(X) ((X)->decVal)
#define V_BYREF(X) ((X)->byref)
#define V_VARIANTREF(X) ((X)->pvarVal)
#define V_BSTRREF(X) ((X)->pbstrVal)
#define V_I2REF(X) ((X)->piVal)
#define V_I4REF(X) ((X)->plVal)
#define V_BOOLREF(X) ((X)->pboolVal)
#define V_ARRAYREF(X) ((X)->pparray)

// ---------------------------------------------------------------------------
// Interfaces

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) noexcept = 0;
    virtual ULONG AddRef() noexcept = 0;
    virtual ULONG Release() noexcept = 0;

protected:
    ~IUnknown() = default;  // objects go away through Release, never delete
};
using LPUNKNOWN = IUnknown*;

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) noexcept = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) noexcept = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) noexcept = 0;

protected:
    ~IDispatch() = default;
};
using LPDISPATCH = IDispatch*;

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) noexcept = 0;
    virtual HRESULT LockServer(BOOL fLock) noexcept = 0;

protected:
    ~IClassFactory() = default;
};

class ISupportErrorInfo : public IUnknown {
public:
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) noexcept = 0;

protected:
    ~ISupportErrorInfo() = default;
};

class IErrorInfo : public IUnknown {
public:
    virtual HRESULT GetGUID(GUID* pGUID) noexcept = 0;
    virtual HRESULT GetSource(BSTR* pBstrSource) noexcept = 0;
    virtual HRESULT GetDescription(BSTR* pBstrDescription) noexcept = 0;
    virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) noexcept = 0;
    virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) noexcept = 0;

protected:
    ~IErrorInfo() = default;
};

class ICreateErrorInfo : public IUnknown {
public:
    virtual HRESULT SetGUID(REFGUID rguid) noexcept = 0;
    virtual HRESULT SetSource(LPOLESTR szSource) noexcept = 0;
    virtual HRESULT SetDescription(LPOLESTR szDescription) noexcept = 0;
    virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) noexcept = 0;
    virtual HRESULT SetHelpContext(DWORD dwHelpContext) noexcept = 0;

protected:
    ~ICreateErrorInfo() = default;
};

// The exports a component module provides, looked up by name.
using LPFNGETCLASSOBJECT = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using LPFNCANUNLOADNOW = HRESULT (*)();

// ---------------------------------------------------------------------------
// The automation runtime, exported by the platform library

#define TLVX_AUTOMATION_API extern "C" __attribute__((visibility("default")))

// Strings: UTF-16 text behind a 32-bit byte length, NUL-terminated, free to
// hold NULs. A null BSTR is the empty string to every function here.
TLVX_AUTOMATION_API BSTR SysAllocString(const OLECHAR* psz) noexcept;
TLVX_AUTOMATION_API BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) noexcept;
TLVX_AUTOMATION_API BSTR SysAllocStringByteLen(const char* psz, UINT len) noexcept;
TLVX_AUTOMATION_API INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) noexcept;
TLVX_AUTOMATION_API INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) noexcept;
TLVX_AUTOMATION_API void SysFreeString(BSTR bstrString) noexcept;
TLVX_AUTOMATION_API UINT SysStringLen(BSTR pbstr) noexcept;
TLVX_AUTOMATION_API UINT SysStringByteLen(BSTR bstr) noexcept;

// Variants.
TLVX_AUTOMATION_API void VariantInit(VARIANTARG* pvarg) noexcept;
TLVX_AUTOMATION_API HRESULT VariantClear(VARIANTARG* pvarg) noexcept;
TLVX_AUTOMATION_API HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) noexcept;
TLVX_AUTOMATION_API HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) noexcept;
TLVX_AUTOMATION_API HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc,
                                              USHORT wFlags, VARTYPE vt) noexcept;
TLVX_AUTOMATION_API HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc,
                                                LCID lcid, USHORT wFlags, VARTYPE vt) noexcept;

// Comparison of two variants: VARCMP_LT, VARCMP_EQ or VARCMP_GT, VARCMP_NULL
// when either is Null, or a failure (DISP_E_TYPEMISMATCH for objects, arrays
// and error codes). Numbers compare by value whatever their types; a text is
// greater than any number; Empty is 0 beside a number and "" beside a text.
// Texts compare by their UTF-16 code units, letter case significant unless
// dwFlags holds NORM_IGNORECASE; the locale does not change the order.
inline constexpr HRESULT VARCMP_LT = 0;
inline constexpr HRESULT VARCMP_EQ = 1;
inline constexpr HRESULT VARCMP_GT = 2;
inline constexpr HRESULT VARCMP_NULL = 3;
inline constexpr ULONG NORM_IGNORECASE = 0x00000001;
TLVX_AUTOMATION_API HRESULT VarCmp(LPVARIANT pvarLeft, LPVARIANT pvarRight, LCID lcid,
                                   ULONG dwFlags) noexcept;

// One-dimensional safe arrays.
TLVX_AUTOMATION_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound,
                                                     ULONG cElements) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayDestroy(SAFEARRAY* psa) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) noexcept;
TLVX_AUTOMATION_API UINT SafeArrayGetDim(SAFEARRAY* psa) noexcept;
TLVX_AUTOMATION_API UINT SafeArrayGetElemsize(SAFEARRAY* psa) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayLock(SAFEARRAY* psa) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayUnlock(SAFEARRAY* psa) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) noexcept;
TLVX_AUTOMATION_API HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) noexcept;

// The thread's error information.
TLVX_AUTOMATION_API HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) noexcept;
TLVX_AUTOMATION_API HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) noexcept;
TLVX_AUTOMATION_API HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) noexcept;

// Class activation and identifiers.
TLVX_AUTOMATION_API HRESULT CoInitialize(LPVOID pvReserved) noexcept;
TLVX_AUTOMATION_API HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) noexcept;
TLVX_AUTOMATION_API void CoUninitialize() noexcept;
TLVX_AUTOMATION_API HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved,
                                             REFIID riid, LPVOID* ppv) noexcept;
TLVX_AUTOMATION_API HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter,
                                             DWORD dwClsContext, REFIID riid, LPVOID* ppv) noexcept;
TLVX_AUTOMATION_API HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) noexcept;
TLVX_AUTOMATION_API HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid) noexcept;
TLVX_AUTOMATION_API HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) noexcept;
TLVX_AUTOMATION_API int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) noexcept;
