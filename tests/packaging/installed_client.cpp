// A client of the component library as a user writes one: compiled against
// the installed header alone and linked with what pkg-config names (no
// part of the source tree). It counts a file's lines through TxtFile by
// slot and by name and encodes a text with Base64, printing
//
//   lines LINES-BY-SLOT LINES-BY-NAME
//   base64 TEXT
//
// Exit status 1 when any call fails.
//
//   installed_client FILE

#include <Morcel_TLVX.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

BSTR text(const char* ascii) {
    std::u16string wide(ascii, ascii + std::strlen(ascii));
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string ascii(BSTR value) {
    std::string narrow;
    for (UINT i = 0; i < SysStringLen(value); ++i) narrow += static_cast<char>(value[i]);
    return narrow;
}

int fail(const char* what, HRESULT hr) {
    std::fprintf(stderr, "installed_client: %s failed: 0x%08X\n", what, static_cast<unsigned>(hr));
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) return 2;
    CoInitialize(nullptr);
    _TxtFile* txt = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_TxtFile, nullptr, CLSCTX_INPROC_SERVER, IID__TxtFile,
                                  reinterpret_cast<void**>(&txt));
    if (FAILED(hr)) return fail("CoCreateInstance(TxtFile)", hr);

    BSTR file = text(argv[1]);
    LONG bySlot = 0;
    hr = txt->GetLineQty(file, &bySlot);
    if (FAILED(hr)) return fail("GetLineQty", hr);

    // By name, as a script calls it.
    OLECHAR name[] = u"getlineqty";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    hr = txt->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr)) return fail("GetIDsOfNames", hr);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = file;
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    hr = txt->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, &result, nullptr, nullptr);
    if (FAILED(hr) || result.vt != VT_I4) return fail("Invoke(GetLineQty)", hr);
    std::printf("lines %d %d\n", static_cast<int>(bySlot), static_cast<int>(result.lVal));
    txt->Release();

    _Base64* base64 = nullptr;
    hr = CoCreateInstance(CLSID_Base64, nullptr, CLSCTX_INPROC_SERVER, IID__Base64,
                          reinterpret_cast<void**>(&base64));
    if (FAILED(hr)) return fail("CoCreateInstance(Base64)", hr);
    BSTR source = text("Tallyvex");
    BSTR charset = text("us-ascii");
    BSTR encoded = nullptr;
    hr = base64->Encode(source, charset, &encoded);
    if (FAILED(hr)) return fail("Encode", hr);
    std::printf("base64 %s\n", ascii(encoded).c_str());
    SysFreeString(encoded);
    SysFreeString(charset);
    SysFreeString(source);
    base64->Release();
    SysFreeString(file);
    CoUninitialize();
    return 0;
}
