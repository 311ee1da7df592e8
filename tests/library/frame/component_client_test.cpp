// A client of the component library as any other would be written: it knows
// the public header and the automation runtime's exported functions, and
// nothing of the library's inside. Objects come from CoCreateInstance; the
// module is found in TLVX_COMPONENT_DIR without registration, in a private
// registry store.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Morcel_TLVX.h"
#include "tests/support/automation_values.h"
#include "tests/support/environment_guard.h"
#include "tests/support/object_ref.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace tlvx::test;
using namespace std::string_literals;

constexpr DISPID kFirstDispId = 0x60030000;

struct Exception {
    Exception() { std::memset(&e, 0, sizeof e); }
    ~Exception() {
        SysFreeString(e.bstrSource);
        SysFreeString(e.bstrDescription);
        SysFreeString(e.bstrHelpFile);
    }
    EXCEPINFO e;
};

std::u16string text(const VARIANT& v) {
    return v.vt == VT_BSTR && v.bstrVal ? std::u16string(v.bstrVal, SysStringLen(v.bstrVal))
                                        : std::u16string();
}

DISPID idOf(IDispatch* object, const char16_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return hr == S_OK ? id : DISPID_UNKNOWN;
}

struct CallOptions {
    VARIANT* result = nullptr;
    UINT* argumentError = nullptr;
    EXCEPINFO* exception = nullptr;
    WORD flags = DISPATCH_METHOD;
    std::vector<DISPID> names = {};  // ids of the first arguments given by name
};

// Invokes `id` with `args` in call order (Invoke receives them reversed;
// arguments given by name come first and keep their order). The arguments
// are cleared afterwards; references point at the caller's storage and stay.
HRESULT invokeId(IDispatch* object, DISPID id, std::vector<VARIANT> args,
                 const CallOptions& options = {}) {
    const size_t named = options.names.size();
    std::vector<VARIANT> reversed(args.begin(), args.begin() + static_cast<long>(named));
    reversed.insert(reversed.end(), args.rbegin(), args.rend() - static_cast<long>(named));
    std::vector<DISPID> names = options.names;
    DISPPARAMS params = {reversed.data(), names.data(), static_cast<UINT>(reversed.size()),
                         static_cast<UINT>(named)};
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, options.flags, &params,
                                      options.result, options.exception, options.argumentError);
    for (VARIANT& v : args) VariantClear(&v);
    return hr;
}

HRESULT invoke(IDispatch* object, const char16_t* name, std::vector<VARIANT> args,
               const CallOptions& options = {}) {
    return invokeId(object, idOf(object, name), std::move(args), options);
}

const std::filesystem::path kModule = TLVX_COMPONENT_MODULE;

// Error information as an earlier call may have left it.
void leaveStaleError() {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    OLECHAR source[] = u"Stale.Source";
    create->SetSource(source);
    IErrorInfo* info = nullptr;
    create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    SetErrorInfo(0, info);
    info->Release();
    create->Release();
}

class ComponentClient : public ::testing::Test {
protected:
    ComponentClient()
        : registry_("TLVX_REGISTRY", (dir_ / "registry.sqlite").string()),
          componentDir_("TLVX_COMPONENT_DIR", kModule.parent_path().string()),
          module_(dlopen(kModule.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~ComponentClient() override {
        if (module_) dlclose(module_);
    }

    void SetUp() override { ASSERT_NE(module_, nullptr) << dlerror(); }
    // Every test lets go of whatever it made.
    void TearDown() override {
        EXPECT_EQ(canUnloadNow(), S_OK) << "an object or lock is still alive";
    }

    HRESULT canUnloadNow() const {
        const auto entry = reinterpret_cast<LPFNCANUNLOADNOW>(dlsym(module_, "DllCanUnloadNow"));
        return entry ? entry() : E_FAIL;
    }

    template <class T>
    void create(const CLSID& clsid, const IID& iid, ObjectRef<T>& object) {
        ASSERT_EQ(object.create(clsid, iid), S_OK);
        ASSERT_TRUE(object);
    }

    std::string file(const char* name) const { return TempDir::read(dir_ / name); }
    void write(const char* name, std::string_view bytes) const { dir_.write(name, bytes); }

    TempDir dir_;
    tlvx::test::CurrentDirGuard cwd_{dir_.path()};
    EnvironmentGuard registry_;
    EnvironmentGuard componentDir_;
    void* module_;
};

// ---------------------------------------------------------------------------
// TxtFile's line methods

TEST_F(ComponentClient, TxtFileLineMethodsBySlot) {
    ObjectRef<_TxtFile> txt;
    create(CLSID_TxtFile, IID__TxtFile, txt);
    const Bstr log(u"Log.txt");
    for (std::u16string_view line : {u"alpha;1", u"Beta;2", u"gamma;3"}) {
        Bstr content(line);
        ASSERT_EQ(txt->AppendLine(log.get(), content.inOut()), S_OK);
        EXPECT_EQ(content.text(), line);  // by reference, but left as it was
    }
    EXPECT_EQ(file("Log.txt"), "alpha;1\r\nBeta;2\r\ngamma;3\r\n");

    LONG count = -1;
    EXPECT_EQ(txt->GetLineQty(log.get(), &count), S_OK);
    EXPECT_EQ(count, 4);
    Bstr last;
    EXPECT_EQ(txt->ReadLastLine(log.get(), last.out()), S_OK);
    EXPECT_EQ(last.text(), u"gamma;3");

    VARIANT_BOOL found = 7;
    EXPECT_EQ(txt->FindLine(log.get(), Bstr(u"Beta;2").get(), &found), S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    EXPECT_EQ(txt->FindLine(log.get(), Bstr(u"beta;2").get(), &found), S_OK);
    EXPECT_EQ(found, VARIANT_FALSE);

    LONG number = -1;
    EXPECT_EQ(txt->GetLineNoByFind(log.get(), Bstr(u"beta").get(), VARIANT_TRUE, &number), S_OK);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(txt->GetLineNoByFind(log.get(), Bstr(u"beta").get(), VARIANT_FALSE, &number), S_OK);
    EXPECT_EQ(number, 2);
    Bstr line;
    EXPECT_EQ(txt->GetLineStrByFind(log.get(), Bstr(u"GAMMA").get(), VARIANT_FALSE, line.out()),
              S_OK);
    EXPECT_EQ(line.text(), u"gamma;3");

    EXPECT_EQ(txt->ModifyLine(log.get(), Bstr(u"2").get(), Bstr(u"two").get(), Bstr(u";").get(), 1),
              S_OK);
    EXPECT_EQ(txt->DeleteLine(log.get(), Bstr(u"alpha").get(), Bstr(u";").get(), 0), S_OK);
    EXPECT_EQ(file("Log.txt"), "Beta;two\r\ngamma;3\r\n");

    // A missing file gives the empty results, and success.
    const Bstr none(u"none.txt");
    EXPECT_EQ(txt->GetLineQty(none.get(), &count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(txt->GetLineStrByFind(none.get(), Bstr(u"x").get(), VARIANT_TRUE, line.out()), S_OK);
    EXPECT_EQ(line.text(), u"");
    EXPECT_EQ(txt->ReadLastLine(none.get(), nullptr), E_POINTER);
}

TEST_F(ComponentClient, ByNameReachesTheSameMethodsAsBySlot) {
    ObjectRef<IDispatch> txt;
    create(CLSID_TxtFile, IID_IDispatch, txt);
    Bstr content(u"first");
    EXPECT_EQ(invoke(txt.get(), u"appendline", {str(u"f.txt"), ref(VT_BSTR, content.inOut())}),
              S_OK);
    EXPECT_EQ(invoke(txt.get(), u"APPENDLINE", {str(u"f.txt"), str(u"Second")}), S_OK);
    EXPECT_EQ(file("f.txt"), "first\r\nSecond\r\n");
    EXPECT_EQ(content.text(), u"first");

    Var result;
    EXPECT_EQ(invoke(txt.get(), u"GetLineQty", {str(u"f.txt")}, {.result = &result.v}), S_OK);
    EXPECT_EQ(result.v.vt, VT_I4);
    EXPECT_EQ(result.v.lVal, 3);
    VariantClear(&result.v);
    EXPECT_EQ(
        invoke(txt.get(), u"FindLine", {str(u"f.txt"), str(u"Second")}, {.result = &result.v}),
        S_OK);
    EXPECT_EQ(result.v.vt, VT_BOOL);
    EXPECT_EQ(result.v.boolVal, VARIANT_TRUE);
    VariantClear(&result.v);
    // A method may be read like a property.
    EXPECT_EQ(invoke(txt.get(), u"ReadLastLine", {str(u"f.txt")},
                     {.result = &result.v, .flags = DISPATCH_PROPERTYGET}),
              S_OK);
    EXPECT_EQ(text(result.v), u"Second");
    VariantClear(&result.v);
    EXPECT_EQ(invoke(txt.get(), u"GetLineStrByFind", {str(u"f.txt"), str(u"SEC"), boolean(false)},
                     {.result = &result.v}),
              S_OK);
    EXPECT_EQ(text(result.v), u"Second");
    VariantClear(&result.v);
    EXPECT_EQ(invoke(txt.get(), u"ModifyLine", {str(u"f.txt"), str(u"first"), str(u"one")}), S_OK);
    EXPECT_EQ(invoke(txt.get(), u"DeleteLine", {str(u"f.txt"), str(u"Second")}), S_OK);
    EXPECT_EQ(file("f.txt"), "one\r\n");
    // Without a result variant the result is dropped (and freed).
    EXPECT_EQ(invoke(txt.get(), u"ReadLastLine", {str(u"f.txt")}), S_OK);
}

TEST_F(ComponentClient, NamesResolveWithoutRegardToCaseAndIncludeParameters) {
    ObjectRef<IDispatch> txt;
    create(CLSID_TxtFile, IID_IDispatch, txt);
    OLECHAR method[] = u"gEtLiNeNoByFiNd";
    OLECHAR first[] = u"matchcase";
    OLECHAR second[] = u"FILENAME";
    OLECHAR unknown[] = u"Nothing";
    LPOLESTR names[] = {method, first, second, unknown};
    DISPID ids[4] = {};
    EXPECT_EQ(txt->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids), S_OK);
    EXPECT_EQ(ids[0], kFirstDispId + 6);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(ids[2], 0);
    // An unknown parameter name leaves the others resolved.
    EXPECT_EQ(txt->GetIDsOfNames(IID_NULL, names, 4, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kFirstDispId + 6);
    EXPECT_EQ(ids[3], DISPID_UNKNOWN);
    LPOLESTR onlyUnknown[] = {unknown};
    EXPECT_EQ(txt->GetIDsOfNames(IID_NULL, onlyUnknown, 1, LOCALE_USER_DEFAULT, ids),
              DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(txt->GetIDsOfNames(IID_IDispatch, names, 1, LOCALE_USER_DEFAULT, ids),
              DISP_E_UNKNOWNINTERFACE);

    UINT count = 9;
    EXPECT_EQ(txt->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(ComponentClient, OmittedOptionalsTakeTheirDefaults) {
    ObjectRef<IDispatch> txt;
    create(CLSID_TxtFile, IID_IDispatch, txt);
    write("f.txt", "Key|a\r\nkey|b\r\n");
    // MatchCase defaults to True, whether left off or marked missing.
    for (bool markMissing : {false, true}) {
        std::vector<VARIANT> args = {str(u"f.txt"), str(u"key")};
        if (markMissing) args.push_back(missing());
        Var result;
        EXPECT_EQ(invoke(txt.get(), u"GetLineNoByFind", std::move(args), {.result = &result.v}),
                  S_OK);
        EXPECT_EQ(result.v.lVal, 2) << markMissing;
    }
    // Separator "" and FieldNo 0: the whole line is the key.
    EXPECT_EQ(invoke(txt.get(), u"DeleteLine", {str(u"f.txt"), str(u"key")}), S_OK);
    EXPECT_EQ(file("f.txt"), "Key|a\r\nkey|b\r\n");
    EXPECT_EQ(
        invoke(txt.get(), u"DeleteLine", {str(u"f.txt"), str(u"key|b"), missing(), missing()}),
        S_OK);
    EXPECT_EQ(file("f.txt"), "Key|a\r\n");
    // An omitted optional in the middle, a later one given.
    EXPECT_EQ(invoke(txt.get(), u"ModifyLine",
                     {str(u"f.txt"), str(u"Key|a"), str(u"x"), missing(), i2(0)}),
              S_OK);
    EXPECT_EQ(file("f.txt"), "x\r\n");
}

TEST_F(ComponentClient, ArgumentCountsAndNamedArguments) {
    ObjectRef<IDispatch> txt;
    create(CLSID_TxtFile, IID_IDispatch, txt);
    write("f.txt", "a|1\r\nb|2\r\n");
    const DISPID deleteLine = idOf(txt.get(), u"DeleteLine");
    EXPECT_EQ(invokeId(txt.get(), deleteLine, {str(u"f.txt")}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invokeId(txt.get(), deleteLine,
                       {str(u"f.txt"), str(u"a"), str(u"|"), i2(0), str(u"extra")}),
              DISP_E_BADPARAMCOUNT);
    UINT position = 99;
    EXPECT_EQ(invokeId(txt.get(), deleteLine, {missing(), str(u"a")}, {.argumentError = &position}),
              DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(position, 1u);  // FileName, the last in rgvarg
    EXPECT_EQ(file("f.txt"), "a|1\r\nb|2\r\n");

    // FieldNo and Separator by name, in any order; FileName and Content by
    // position.
    EXPECT_EQ(invokeId(txt.get(), deleteLine, {i2(1), str(u"|"), str(u"f.txt"), str(u"2")},
                       {.names = {3, 2}}),
              S_OK);
    EXPECT_EQ(file("f.txt"), "a|1\r\n");
    // A name for a parameter already given by position, or for none.
    position = 99;
    EXPECT_EQ(invokeId(txt.get(), deleteLine, {str(u"x"), str(u"f.txt"), str(u"a|1")},
                       {.argumentError = &position, .names = {0}}),
              DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(
        invokeId(txt.get(), deleteLine, {str(u"x"), str(u"f.txt"), str(u"a|1")}, {.names = {7}}),
        DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(file("f.txt"), "a|1\r\n");
}

TEST_F(ComponentClient, ByReferenceArgumentsAreWrittenBack) {
    ObjectRef<IDispatch> txt;
    create(CLSID_TxtFile, IID_IDispatch, txt);
    // A reference to a string: the string stays the caller's, same text.
    Bstr content(u"text");
    EXPECT_EQ(invoke(txt.get(), u"AppendLine", {str(u"f.txt"), ref(VT_BSTR, content.inOut())}),
              S_OK);
    EXPECT_EQ(content.text(), u"text");

    // A reference to a variant holding a number: the method sees its text,
    // and the variant comes back holding the String the parameter is.
    Var variant;
    variant.v = i4(12);
    EXPECT_EQ(invoke(txt.get(), u"AppendLine", {str(u"f.txt"), ref(VT_VARIANT, &variant.v)}), S_OK);
    EXPECT_EQ(variant.v.vt, VT_BSTR);
    EXPECT_EQ(text(variant.v), u"12");

    // A reference to a Long: converted back to a Long.
    LONG number = 34;
    EXPECT_EQ(invoke(txt.get(), u"AppendLine", {str(u"f.txt"), ref(VT_I4, &number)}), S_OK);
    EXPECT_EQ(number, 34);

    // A plain value for a by-reference parameter is only read.
    EXPECT_EQ(invoke(txt.get(), u"AppendLine", {str(u"f.txt"), i4(56)}), S_OK);
    EXPECT_EQ(file("f.txt"), "text\r\n12\r\n34\r\n56\r\n");

    // A failed call writes nothing back.
    ObjectRef<IDispatch> base64;
    create(CLSID_Base64, IID_IDispatch, base64);
    Var input;
    input.v = i4(7);
    EXPECT_EQ(invoke(base64.get(), u"DecodeToFile", {ref(VT_VARIANT, &input.v), str(u"f.txt")}),
              DISP_E_EXCEPTION);
    EXPECT_EQ(input.v.vt, VT_I4);
    EXPECT_EQ(input.v.lVal, 7);
}

TEST_F(ComponentClient, ArgumentsAreCoercedOrRejectedWithTheirPosition) {
    ObjectRef<IDispatch> txt;
    create(CLSID_TxtFile, IID_IDispatch, txt);
    write("5", "a;b\r\nc;d\r\n");
    Var result;
    // A Long for a String, a text for an Integer, a reference read through.
    EXPECT_EQ(invoke(txt.get(), u"GetLineQty", {i4(5)}, {.result = &result.v}), S_OK);
    EXPECT_EQ(result.v.lVal, 3);
    Bstr name(u"5");
    EXPECT_EQ(invoke(txt.get(), u"ModifyLine",
                     {ref(VT_BSTR, name.inOut()), str(u"d"), str(u"x"), str(u";"), str(u" 1 ")}),
              S_OK);
    EXPECT_EQ(file("5"), "a;b\r\nc;x\r\n");
    EXPECT_EQ(name.text(), u"5");

    UINT position = 99;
    EXPECT_EQ(invoke(txt.get(), u"DeleteLine", {str(u"5"), str(u"a"), str(u";"), str(u"first")},
                     {.argumentError = &position}),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(position, 0u);  // FieldNo, first in rgvarg
    position = 99;
    EXPECT_EQ(invoke(txt.get(), u"DeleteLine", {str(u"5"), str(u"a"), str(u";"), i4(70000)},
                     {.argumentError = &position}),
              DISP_E_OVERFLOW);
    EXPECT_EQ(position, 0u);
    position = 99;
    ObjectRef<IDispatch> other;
    create(CLSID_GenFuns, IID_IDispatch, other);
    VARIANT object;
    object.vt = VT_DISPATCH;
    object.pdispVal = other.get();
    other->AddRef();  // the argument holds its own reference
    EXPECT_EQ(invoke(txt.get(), u"FindLine", {object, str(u"a;b")}, {.argumentError = &position}),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(position, 1u);
    EXPECT_EQ(file("5"), "a;b\r\nc;x\r\n");
}

TEST_F(ComponentClient, GapAndUnknownIdsAreRejected) {
    ObjectRef<IDispatch> base64;
    create(CLSID_Base64, IID_IDispatch, base64);
    ObjectRef<IDispatch> registry;
    create(CLSID_Registry, IID_IDispatch, registry);
    ObjectRef<IDispatch> txt;
    create(CLSID_TxtFile, IID_IDispatch, txt);
    for (int gap : {1, 2, 4, 7}) {
        EXPECT_EQ(invokeId(base64.get(), kFirstDispId + gap, {str(u"x")}), DISP_E_MEMBERNOTFOUND)
            << gap;
    }
    for (int gap : {8, 9, 12}) {
        EXPECT_EQ(invokeId(registry.get(), kFirstDispId + gap, {}), DISP_E_MEMBERNOTFOUND) << gap;
    }
    EXPECT_EQ(invokeId(txt.get(), DISPID_VALUE, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invokeId(txt.get(), kFirstDispId + 12, {str(u"f")}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invokeId(txt.get(), kFirstDispId + 2, {str(u"f")}, {.flags = DISPATCH_PROPERTYPUT}),
              DISP_E_MEMBERNOTFOUND);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(txt->Invoke(kFirstDispId + 2, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr,
                          nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

// The members of every interface in slot order, with their ids and their
// parameters: s String, l Long, i Integer, b Boolean, v Variant; upper case
// by reference (O Object, A array); after '|' the optional ones.
struct Member {
    const char16_t* name;
    int id;
    const char* parameters;
};

struct Interface {
    const char* name;
    const CLSID& clsid;
    std::vector<Member> members;
};

const std::vector<Interface>& interfaces() {
    static const std::vector<Interface> all = {
        {"_GenFuns",
         CLSID_GenFuns,
         {{u"GetCharsetList", 0, ""},
          {u"LongToHTMLColor", 1, "l"},
          {u"SetMenuCaption", 2, "O|s"},
          {u"SetTip", 3, "O|s"},
          {u"InVar", 4, "vA"},
          {u"AdjListColWid", 5, "O"},
          {u"GetFilesQty", 6, "s"},
          {u"CheckShortcut", 7, "s"},
          {u"GetSysTempPath", 8, ""},
          {u"GetEnglishWeekday", 9, "i"},
          {u"GetEnglishShortMonth", 10, "i"}}},
        {"_APIFuns",
         CLSID_APIFuns,
         {{u"GetWindowsVersion", 0, ""},
          {u"AcceptDragFiles", 1, "ll"},
          {u"MapNetDrive", 2, "ll"},
          {u"DisconnectNetDrive", 3, "ll"},
          {u"SendMsg", 4, "lllv"},
          {u"PostMsg", 5, "lllv"},
          {u"GetFilesOpenName", 6, "lss|SB"},
          {u"GetFileSaveName", 7, "lsss|ss"},
          {u"GetFileIcon", 8, "sll"},
          {u"ExecFile", 9, "sl"},
          {u"ExecCmd", 10, "sl"},
          {u"SelectColor", 11, "l"},
          {u"TxtOperate", 12, "lS"},
          {u"ReadIni", 13, "sss"},
          {u"AddHScrollToListBox", 14, "ll"},
          {u"WriteIni", 15, "SSSS"},
          {u"SetRadioMenu", 16, "ll"},
          {u"GetMenuHandle", 17, "l"},
          {u"GetSubMenuHandle", 18, "lL"},
          {u"GetSysPath", 19, "s"},
          {u"FindWindowTitle", 20, "s"},
          {u"ChooseFolder", 21, "ls"},
          {u"DropFiles", 22, "l"},
          {u"Wait", 23, "l"},
          {u"GetSpecialFolder", 24, "i"},
          {u"QueryRecycleBin", 25, "|s"},
          {u"GetUserTempPath", 26, ""},
          {u"DelUntilReboot", 27, "s"},
          {u"SetTreeViewBgColor", 28, "ll"},
          {u"EmptyRecycleBin", 29, "l|s"},
          {u"SetLVHeaderColor", 30, "lb|ll"},
          {u"DelToRecycled", 31, "s"},
          {u"ShowFileFolderProperties", 32, "ls"},
          {u"LoadDLL", 33, "s"},
          {u"GetDLLString", 34, "ll"},
          {u"UnloadDLL", 35, "l"},
          {u"KillProcess", 36, "s"},
          {u"SetClipboardText", 37, "s"},
          {u"GetClipboardText", 38, ""}}},
        {"_TxtFile",
         CLSID_TxtFile,
         {{u"AppendLine", 0, "sS"},
          {u"ReadLastLine", 1, "s"},
          {u"GetLineQty", 2, "s"},
          {u"DeleteLine", 3, "ss|si"},
          {u"ModifyLine", 4, "sss|si"},
          {u"FindLine", 5, "ss"},
          {u"GetLineNoByFind", 6, "ss|b"},
          {u"GetLineStrByFind", 7, "ss|b"},
          {u"WriteByCharset", 8, "ss|s"},
          {u"ReadByCharset", 9, "s|s"},
          {u"AutoRead", 10, "s"},
          {u"GetEncoding", 11, "s"}}},
        {"_Base64",
         CLSID_Base64,
         {{u"Encode", 0, "s|s"},
          {u"EncodeFile", 3, "s"},
          {u"Decode", 5, "S|s"},
          {u"DecodeToFile", 6, "SS"}}},
        {"_Registry",
         CLSID_Registry,
         {{u"ExportRegKey", 0, "LSS"},
          {u"ImportRegKey", 1, "LSS"},
          {u"ReadRegKey", 2, "LSS|S"},
          {u"WriteRegKey", 3, "LLSSS"},
          {u"EnumerateRegKeys", 4, "LS"},
          {u"EnumerateRegKeyValues", 5, "LS"},
          {u"DeleteRegKey", 6, "LS"},
          {u"DeleteRegKeyValue", 7, "LS|S"},
          {u"GetRegKeyItems", 10, "LS"},
          {u"EnumerateRegKeyItemNames", 11, "LS"}}},
    };
    return all;
}

// Arguments of the types a member's letters name, with the storage their
// references point at.
class Arguments {
public:
    explicit Arguments(std::string_view letters) {
        // References point into these: no reallocation while they live.
        strings_.reserve(letters.size());
        arrays_.reserve(letters.size());
        for (char letter : letters) add(letter);
    }
    ~Arguments() {
        for (BSTR s : strings_) SysFreeString(s);
        for (SAFEARRAY* a : arrays_) SafeArrayDestroy(a);
    }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;

    // The first `count` arguments (the caller's values are copied: the call
    // clears what it is given).
    std::vector<VARIANT> first(size_t count) const {
        std::vector<VARIANT> args;
        for (size_t i = 0; i < count; ++i) {
            VARIANT copy;
            VariantInit(&copy);
            VariantCopy(&copy, &values_[i]);
            args.push_back(copy);
        }
        return args;
    }

private:
    void add(char letter) {
        switch (letter) {
            case 's': {
                strings_.push_back(SysAllocString(u"x"));
                VARIANT v;
                v.vt = VT_BSTR;
                v.bstrVal = strings_.back();
                values_.push_back(v);
                return;
            }
            case 'l':
            case 'v':
                values_.push_back(i4(1));
                return;
            case 'i':
                values_.push_back(i2(1));
                return;
            case 'b':
                values_.push_back(boolean(true));
                return;
            case 'S':
                strings_.push_back(SysAllocString(u"x"));
                values_.push_back(ref(VT_BSTR, &strings_.back()));
                return;
            case 'L':
                longs_[longCount_] = static_cast<LONG>(HKEY_CURRENT_USER);
                values_.push_back(ref(VT_I4, &longs_[longCount_++]));
                return;
            case 'B':
                values_.push_back(ref(VT_BOOL, &bool_));
                return;
            case 'O':
                values_.push_back(ref(VT_DISPATCH, &object_));
                return;
            case 'A':
                arrays_.push_back(SafeArrayCreateVector(VT_VARIANT, 0, 0));
                values_.push_back(ref(VT_ARRAY | VT_VARIANT, &arrays_.back()));
                return;
        }
        ADD_FAILURE() << "unknown letter " << letter;
    }
    std::vector<VARIANT> values_;
    std::vector<BSTR> strings_;
    std::vector<SAFEARRAY*> arrays_;
    LONG longs_[8] = {};
    size_t longCount_ = 0;
    VARIANT_BOOL bool_ = VARIANT_TRUE;
    IDispatch* object_ = nullptr;
};

TEST_F(ComponentClient, EveryMemberAnswersByNameWithTheParametersOfItsTable) {
    for (const Interface& face : interfaces()) {
        ObjectRef<IDispatch> object;
        create(face.clsid, IID_IDispatch, object);
        for (const Member& member : face.members) {
            SCOPED_TRACE(std::string(face.name) + "." +
                         std::string(member.name, member.name + std::char_traits<char16_t>::length(
                                                                    member.name)));
            std::u16string lower(member.name);
            for (char16_t& c : lower) c = (c >= u'A' && c <= u'Z') ? c + 32 : c;
            const DISPID id = idOf(object.get(), lower.c_str());
            EXPECT_EQ(id, kFirstDispId + member.id);

            const std::string_view letters = member.parameters;
            const size_t bar = letters.find('|');
            const size_t required = bar == std::string_view::npos ? letters.size() : bar;
            std::string all(letters);
            if (bar != std::string_view::npos) all.erase(bar, 1);
            Arguments args(all);
            if (required > 0) {
                EXPECT_EQ(invokeId(object.get(), id, args.first(required - 1)),
                          DISP_E_BADPARAMCOUNT);
            }
            std::vector<VARIANT> tooMany = args.first(all.size());
            tooMany.push_back(i4(0));
            EXPECT_EQ(invokeId(object.get(), id, std::move(tooMany)), DISP_E_BADPARAMCOUNT);
        }
    }
}

TEST_F(ComponentClient, ErrorInformation) {
    ObjectRef<_TxtFile> txt;
    create(CLSID_TxtFile, IID__TxtFile, txt);
    ObjectRef<ISupportErrorInfo> support;
    ASSERT_EQ(txt->QueryInterface(IID_ISupportErrorInfo, support.out()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__TxtFile), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__GenFuns), S_FALSE);

    // Error information left from before a call does not describe the call.
    leaveStaleError();
    LONG count = 0;
    EXPECT_EQ(txt->GetLineQty(Bstr(u"none").get(), &count), S_OK);
    IErrorInfo* info = reinterpret_cast<IErrorInfo*>(0x10);
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
    EXPECT_EQ(info, nullptr);

    ObjectRef<IDispatch> byName;
    create(CLSID_GenFuns, IID_IDispatch, byName);
    leaveStaleError();
    Exception exception;
    EXPECT_EQ(invoke(byName.get(), u"GetEnglishWeekday", {i2(9)}, {.exception = &exception.e}),
              S_OK);
    EXPECT_EQ(exception.e.bstrSource, nullptr);
    EXPECT_EQ(exception.e.bstrDescription, nullptr);
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

// A missing pointer is refused with E_POINTER once the call is open (the
// stale error information is gone). A result given beside a missing
// argument is emptied first; GetSubMenuHandle checks Pos before it touches
// its result.
TEST_F(ComponentClient, MissingPointersAreRefused) {
    ObjectRef<_APIFuns> api;
    create(CLSID_APIFuns, IID__APIFuns, api);
    ObjectRef<_GenFuns> gen;
    create(CLSID_GenFuns, IID__GenFuns, gen);
    ObjectRef<_Base64> base64;
    create(CLSID_Base64, IID__Base64, base64);
    ObjectRef<_Registry> registry;
    create(CLSID_Registry, IID__Registry, registry);
    KeyRoot root = HKEY_CURRENT_USER;
    KeyType type = REG_DWORD;
    Bstr path(u"Software"), name(u"x"), stale(u"stale");
    VARIANT_BOOL flag = VARIANT_TRUE;
    LONG number = 7;
    SHORT items = 7;
    BSTR out = stale.get();
    Var target;
    target.v = str(u"b");

    const struct {
        const char* method;
        std::function<HRESULT()> call;
        std::function<bool()> resultAfter;  // none: no result given
    } cases[] = {
        {"GetWindowsVersion", [&] { return api->GetWindowsVersion(nullptr); }, {}},
        {"GetSubMenuHandle", [&] { return api->GetSubMenuHandle(0, nullptr, &number); },
         [&] { return number == 7; }},
        {"TxtOperate", [&] { return api->TxtOperate(0, nullptr); }, {}},
        {"WriteIni",
         [&] { return api->WriteIni(path.inOut(), nullptr, name.inOut(), name.inOut()); },
         {}},
        {"InVar", [&] { return gen->InVar(target.v, nullptr, &flag); },
         [&] { return flag == VARIANT_FALSE; }},
        {"AdjListColWid", [&] { return gen->AdjListColWid(nullptr); }, {}},
        {"Decode", [&] { return base64->Decode(nullptr, nullptr, &out); },
         [&] { return out == nullptr; }},
        {"DecodeToFile", [&] { return base64->DecodeToFile(name.inOut(), nullptr); }, {}},
        {"ReadRegKey",
         [&] { return registry->ReadRegKey(&root, path.inOut(), nullptr, nullptr, &out); },
         [&] { return out == nullptr; }},
        {"WriteRegKey",
         [&] {
             return registry->WriteRegKey(&type, nullptr, path.inOut(), name.inOut(), name.inOut(),
                                          &flag);
         },
         [&] { return flag == VARIANT_FALSE; }},
        {"GetRegKeyItems", [&] { return registry->GetRegKeyItems(&root, nullptr, &items); },
         [&] { return items == 0; }},
        {"DeleteRegKey", [&] { return registry->DeleteRegKey(nullptr, path.inOut()); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        flag = VARIANT_TRUE;
        out = stale.get();
        leaveStaleError();
        EXPECT_EQ(c.call(), E_POINTER);
        if (c.resultAfter) {
            EXPECT_TRUE(c.resultAfter());
        }
        IErrorInfo* info = reinterpret_cast<IErrorInfo*>(0x10);
        EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
        EXPECT_EQ(info, nullptr);
    }
    EXPECT_EQ(path.text(), u"Software");
    EXPECT_EQ(name.text(), u"x");
}

// ---------------------------------------------------------------------------
// Objects, factories and the module's life

TEST_F(ComponentClient, ObjectsCountTheirReferencesAndKeepOneIdentity) {
    ObjectRef<_TxtFile> txt;
    create(CLSID_TxtFile, IID__TxtFile, txt);
    EXPECT_EQ(txt->AddRef(), 2u);
    EXPECT_EQ(txt->Release(), 1u);

    ObjectRef<IUnknown> fromInterface;
    ASSERT_EQ(txt->QueryInterface(IID_IUnknown, fromInterface.out()), S_OK);
    ObjectRef<ISupportErrorInfo> support;
    ASSERT_EQ(txt->QueryInterface(IID_ISupportErrorInfo, support.out()), S_OK);
    ObjectRef<IUnknown> fromSupport;
    ASSERT_EQ(support->QueryInterface(IID_IUnknown, fromSupport.out()), S_OK);
    EXPECT_EQ(fromInterface.get(), fromSupport.get());
    ObjectRef<_TxtFile> back;
    ASSERT_EQ(support->QueryInterface(IID__TxtFile, back.out()), S_OK);
    EXPECT_EQ(back.get(), txt.get());
    EXPECT_EQ(txt->AddRef(), 6u);  // txt, fromInterface, support, fromSupport, back, this
    txt->Release();

    void* other = reinterpret_cast<void*>(0x10);
    EXPECT_EQ(txt->QueryInterface(IID__GenFuns, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(txt->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);

    // Calls leave the count as they found it.
    LONG count = 0;
    EXPECT_EQ(txt->GetLineQty(Bstr(u"none").get(), &count), S_OK);
    EXPECT_EQ(invoke(back.get(), u"GetLineQty", {str(u"none")}), S_OK);
    EXPECT_EQ(txt->AddRef(), 6u);
    txt->Release();
}

TEST_F(ComponentClient, TheModuleStaysWhileObjectsFactoriesOrLocksLive) {
    EXPECT_EQ(canUnloadNow(), S_OK);
    {
        ObjectRef<_Registry> registry;
        create(CLSID_Registry, IID__Registry, registry);
        EXPECT_EQ(canUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(canUnloadNow(), S_OK);

    ObjectRef<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_APIFuns, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.out()),
              S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // a factory held counts
    ObjectRef<_APIFuns> api;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__APIFuns, api.out()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    api.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // locked

    ASSERT_EQ(CoGetClassObject(CLSID_TxtFile, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.out()),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);

    // An unlock without a lock counts nothing: the next lock still holds.
    ASSERT_EQ(CoGetClassObject(CLSID_TxtFile, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.out()),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ASSERT_EQ(CoGetClassObject(CLSID_TxtFile, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.out()),
              S_OK);
    factory->LockServer(FALSE);
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(ComponentClient, FactoriesServeTheFiveClassesAndRefuseTheRest) {
    const std::pair<const CLSID*, const IID*> classes[] = {{&CLSID_GenFuns, &IID__GenFuns},
                                                           {&CLSID_APIFuns, &IID__APIFuns},
                                                           {&CLSID_TxtFile, &IID__TxtFile},
                                                           {&CLSID_Base64, &IID__Base64},
                                                           {&CLSID_Registry, &IID__Registry}};
    for (const auto& [clsid, iid] : classes) {
        ObjectRef<IDispatch> object;
        EXPECT_EQ(CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, *iid, object.out()),
                  S_OK);
        ObjectRef<ISupportErrorInfo> support;
        ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, support.out()), S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(*iid), S_OK);
    }

    ObjectRef<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_TxtFile, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.out()),
              S_OK);
    void* object = reinterpret_cast<void*>(0x10);
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(0x10);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID__GenFuns, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);

    const auto getClassObject =
        reinterpret_cast<LPFNGETCLASSOBJECT>(dlsym(module_, "DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
    object = reinterpret_cast<void*>(0x10);
    EXPECT_EQ(getClassObject(IID__TxtFile, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(getClassObject(CLSID_TxtFile, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(getClassObject(CLSID_TxtFile, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(
        CoCreateInstance(LIBID_Morcel_TLVX, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
        REGDB_E_CLASSNOTREG);
}

// ---------------------------------------------------------------------------
// Strings

TEST_F(ComponentClient, StringsKeepEmbeddedNulsAndNullIsEmpty) {
    ObjectRef<_TxtFile> txt;
    create(CLSID_TxtFile, IID__TxtFile, txt);
    const Bstr name(u"f.txt");
    Bstr withNul(std::u16string_view(u"a\0b", 3));
    ASSERT_EQ(txt->AppendLine(name.get(), withNul.inOut()), S_OK);
    EXPECT_EQ(file("f.txt"), "a\0b\r\n"s);
    Bstr last;
    ASSERT_EQ(txt->ReadLastLine(name.get(), last.out()), S_OK);
    EXPECT_EQ(last.text(), std::u16string(u"a\0b", 3));
    EXPECT_EQ(SysStringLen(last.get()), 3u);
    VARIANT_BOOL found = VARIANT_FALSE;
    ASSERT_EQ(txt->FindLine(name.get(), withNul.get(), &found), S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    ASSERT_EQ(txt->FindLine(name.get(), Bstr(u"a").get(), &found), S_OK);
    EXPECT_EQ(found, VARIANT_FALSE);

    // A null string is the empty string, and stays null when passed by
    // reference; an empty result is still a string.
    BSTR null = nullptr;
    ASSERT_EQ(txt->AppendLine(name.get(), &null), S_OK);
    EXPECT_EQ(null, nullptr);
    EXPECT_EQ(file("f.txt"), "a\0b\r\n\r\n"s);
    ASSERT_EQ(txt->ReadLastLine(name.get(), last.out()), S_OK);
    ASSERT_NE(last.get(), nullptr);
    EXPECT_EQ(SysStringLen(last.get()), 0u);
    LONG count = -1;
    EXPECT_EQ(txt->GetLineQty(nullptr, &count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(txt->AppendLine(name.get(), nullptr), E_POINTER);

    ObjectRef<IDispatch> byName;
    ASSERT_EQ(txt->QueryInterface(IID_IDispatch, byName.out()), S_OK);
    VARIANT nullText;
    nullText.vt = VT_BSTR;
    nullText.bstrVal = nullptr;
    Var result;
    EXPECT_EQ(
        invoke(byName.get(), u"GetLineNoByFind", {str(u"f.txt"), nullText}, {.result = &result.v}),
        S_OK);
    EXPECT_EQ(result.v.lVal, 1);  // the empty text is found in the first line
}

}  // namespace
