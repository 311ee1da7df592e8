// The API class's window methods in a process without any window system or
// application object (a script, tlvx-count): each succeeds with its empty
// result, and none loads Qt.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "Morcel_TLVX.h"
#include "tests/support/automation_values.h"
#include "tests/support/temp_dir.h"

using namespace tlvx::test;

namespace {

TEST(ApiFunsWithoutWindows, WindowMethodsSucceedWithTheEmptyResult) {
    void* object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_APIFuns, nullptr, CLSCTX_INPROC_SERVER, IID__APIFuns, &object),
              S_OK);
    auto* api = static_cast<_APIFuns*>(object);
    TempDir dir;
    const auto file = dir.write("App.vbp", "Type=Exe\r\n");
    const Bstr fileName(file.u16string());
    LONG number = 7;

    Var text;
    text.v = str(u"text");
    EXPECT_EQ(api->SendMsg(1, 0x0C, 0, text.v), S_OK);
    EXPECT_EQ(api->PostMsg(1, 0x10, 0, i4(0)), S_OK);
    EXPECT_EQ(api->FindWindowTitle(Bstr(u"").get(), &number), S_OK);
    EXPECT_EQ(number, 0);
    Bstr action(u" Copy ");
    EXPECT_EQ(api->TxtOperate(1, action.inOut()), S_OK);
    EXPECT_EQ(api->AddHScrollToListBox(1, 500), S_OK);
    EXPECT_EQ(api->SetTreeViewBgColor(1, 255), S_OK);
    number = 7;
    EXPECT_EQ(api->GetMenuHandle(1, &number), S_OK);
    EXPECT_EQ(number, 0);
    LONG position = 0;
    number = 7;
    EXPECT_EQ(api->GetSubMenuHandle(1, &position, &number), S_OK);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(api->SetRadioMenu(1, 0), S_OK);
    EXPECT_EQ(api->AcceptDragFiles(1, 1), S_OK);
    Bstr dropped;
    EXPECT_EQ(api->DropFiles(1, dropped.inOut()), S_OK);
    EXPECT_EQ(dropped.text(), u"");
    EXPECT_EQ(api->SelectColor(0, &number), S_OK);
    EXPECT_EQ(number, -1) << "no colour was chosen";
    Bstr folder;
    EXPECT_EQ(api->ChooseFolder(0, Bstr(u"Where?").get(), folder.inOut()), S_OK);
    EXPECT_EQ(folder.text(), u"");
    EXPECT_EQ(api->ShowFileFolderProperties(0, fileName.get()), S_OK);
    EXPECT_EQ(api->GetFileIcon(fileName.get(), 1, 2), S_OK);
    EXPECT_EQ(api->SetLVHeaderColor(1, VARIANT_TRUE, 255, 0), S_OK);
    EXPECT_EQ(api->SetLVHeaderColor(1, VARIANT_FALSE, 0, 0), S_OK);
    EXPECT_EQ(api->SetClipboardText(Bstr(u"text").get()), S_OK);
    Bstr clipboard;
    EXPECT_EQ(api->GetClipboardText(clipboard.inOut()), S_OK);
    EXPECT_EQ(clipboard.text(), u"");
    api->Release();

    void* qt = dlopen(TLVX_QT_WIDGETS_SONAME, RTLD_LAZY | RTLD_NOLOAD);
    EXPECT_EQ(qt, nullptr) << "Qt was loaded";
    if (qt) dlclose(qt);
}

}  // namespace
