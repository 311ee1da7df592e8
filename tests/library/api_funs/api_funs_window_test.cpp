// The API class's window methods through its interface, on widgets of the
// test program (offscreen platform), with the arguments a client passes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <thread>

#include "Morcel_TLVX.h"
#include "tests/support/automation_values.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/modal_driver.h"
#include "tests/support/object_ref.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_dir.h"
#include "tests/support/widget_handle.h"

using namespace tlvx::test;
namespace fs = std::filesystem;

namespace {

[[maybe_unused]] testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

class ApiFunsWindows : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(api.create(CLSID_APIFuns, IID__APIFuns), S_OK); }

    void txtOperate(QWidget& edit, std::u16string_view word) {
        Bstr action(word);
        const BSTR before = action.get();
        EXPECT_EQ(api->TxtOperate(handleOf(edit), action.inOut()), S_OK);
        EXPECT_EQ(action.get(), before);
        EXPECT_EQ(action.text(), word) << "the action is not changed";
    }
    QColor headerColour(QTreeWidget& tree) const {
        return tree.header()->palette().color(QPalette::Button);
    }

    // A message whose second parameter is a string; the test owns the
    // variant.
    HRESULT sendText(QWidget& widget, LONG message, LONG paramA, std::u16string_view text,
                     bool posted = false) {
        Var paramB;
        paramB.v = str(text);
        return posted ? api->PostMsg(handleOf(widget), message, paramA, paramB.v)
                      : api->SendMsg(handleOf(widget), message, paramA, paramB.v);
    }

    // Last, so that the object goes before the folders and settings it used.
    ObjectRef<_APIFuns> api;
};

TEST_F(ApiFunsWindows, TxtOperateKnowsItsWordsSpacesAroundThemAside) {
    QLineEdit line(QStringLiteral("hello world"));
    line.setSelection(6, 5);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    txtOperate(line, u"copy");
    txtOperate(line, u"COPY");
    txtOperate(line, u"   ");
    txtOperate(line, u"");
    txtOperate(line, u"Co py");
    EXPECT_EQ(QApplication::clipboard()->text(), "before") << "letter case counts";
    txtOperate(line, u"  Copy  ");
    EXPECT_EQ(QApplication::clipboard()->text(), "world");
    txtOperate(line, u"Delete");
    EXPECT_EQ(line.text(), "hello ");
    EXPECT_EQ(QApplication::clipboard()->text(), "world");
    txtOperate(line, u"Undo");
    EXPECT_EQ(line.text(), "hello world");
    txtOperate(line, u"Redo");
    EXPECT_EQ(line.text(), "hello ");
    line.setCursorPosition(0);
    txtOperate(line, u"Paste");
    EXPECT_EQ(line.text(), "worldhello ");
    line.setSelection(0, 5);
    QApplication::clipboard()->clear();
    txtOperate(line, u"Cut");
    EXPECT_EQ(line.text(), "hello ");
    EXPECT_EQ(QApplication::clipboard()->text(), "world");
}

TEST_F(ApiFunsWindows, SendMsgTakesItsSecondParameterAsNumberOrText) {
    QLineEdit line;
    EXPECT_EQ(sendText(line, 0x0C, 0, u"by value"), S_OK);
    EXPECT_EQ(line.text(), "by value");
    BSTR referenced = SysAllocString(u"by reference");
    EXPECT_EQ(api->SendMsg(handleOf(line), 0x0C, 0, ref(VT_BSTR, &referenced)), S_OK);
    SysFreeString(referenced);
    EXPECT_EQ(line.text(), "by reference");
    EXPECT_EQ(callByName(api, u"SendMsg", {i4(handleOf(line)), i4(0x0C), i4(0), str(u"by name")}),
              S_OK);
    EXPECT_EQ(line.text(), "by name");

    QTreeWidget tree;
    tree.setColumnCount(3);
    EXPECT_EQ(sendText(tree, 0x101E, 1, u"120"), S_OK);
    EXPECT_EQ(tree.header()->sectionSize(1), 120) << "a text that reads as a number";
    VARIANT null;
    null.vt = VT_NULL;
    EXPECT_EQ(api->SendMsg(handleOf(tree), 0x101E, 1, null), S_OK);
    EXPECT_EQ(sendText(tree, 0x101E, 1, u"wide"), S_OK);
    EXPECT_EQ(tree.header()->sectionSize(1), 120) << "no number, no width";

    EXPECT_EQ(sendText(line, 0x0C, 0, u"posted", true), S_OK);
    EXPECT_EQ(line.text(), "by name");
    QTRY_COMPARE(line.text(), QStringLiteral("posted"));
}

TEST_F(ApiFunsWindows, ListBoxExtentAndTreeBackground) {
    QListWidget list;
    list.addItem(QStringLiteral("short"));
    list.resize(100, 80);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(api->AddHScrollToListBox(handleOf(list), 400), S_OK);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 400 - list.viewport()->width());

    QTreeWidget tree;
    EXPECT_EQ(api->SetTreeViewBgColor(handleOf(tree), 0x00FF00), S_OK);
    EXPECT_EQ(tree.palette().color(QPalette::Base), QColor(0, 255, 0));
}

TEST_F(ApiFunsWindows, HeaderColourIsSetOnceAndUnsetOnce) {
    QTreeWidget first;
    QTreeWidget second;
    const QColor own = headerColour(first);
    EXPECT_EQ(api->SetLVHeaderColor(handleOf(first), VARIANT_TRUE, 0x0000FF, 0xFFFFFF), S_OK);
    EXPECT_EQ(headerColour(first), QColor(255, 0, 0));
    EXPECT_EQ(first.header()->palette().color(QPalette::ButtonText), QColor(255, 255, 255));

    // A second start before the stop is refused, on the same view or another.
    EXPECT_EQ(api->SetLVHeaderColor(handleOf(first), VARIANT_TRUE, 0x00FF00, 0), S_OK);
    EXPECT_EQ(api->SetLVHeaderColor(handleOf(second), VARIANT_TRUE, 0x00FF00, 0), S_OK);
    EXPECT_EQ(headerColour(first), QColor(255, 0, 0));
    EXPECT_EQ(headerColour(second), own);

    // The stop restores the view that was started, whatever handle it gets.
    EXPECT_EQ(api->SetLVHeaderColor(handleOf(second), VARIANT_FALSE, 0, 0), S_OK);
    EXPECT_EQ(headerColour(first), own);
    EXPECT_EQ(api->SetLVHeaderColor(0, VARIANT_FALSE, 0, 0), S_OK);

    // Omitted colours are black.
    EXPECT_EQ(callByName(api, u"SetLVHeaderColor", {i4(handleOf(second)), boolean(true)}), S_OK);
    EXPECT_EQ(headerColour(second), QColor(Qt::black));
    EXPECT_EQ(second.header()->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(api->SetLVHeaderColor(0, VARIANT_FALSE, 0, 0), S_OK);
    EXPECT_EQ(headerColour(second), own);
}

TEST_F(ApiFunsWindows, HeaderColourStateBelongsToTheThread) {
    QTreeWidget tree;
    QLabel label;
    const QColor own = headerColour(tree);
    // A start on something that is no list view starts nothing.
    EXPECT_EQ(api->SetLVHeaderColor(handleOf(label), VARIANT_TRUE, 0x0000FF, 0), S_OK);
    EXPECT_EQ(api->SetLVHeaderColor(handleOf(tree), VARIANT_TRUE, 0x0000FF, 0), S_OK);
    EXPECT_EQ(headerColour(tree), QColor(255, 0, 0));
    std::thread([this, handle = handleOf(tree)] {
        api->SetLVHeaderColor(handle, VARIANT_FALSE, 0, 0);
        api->SetLVHeaderColor(handle, VARIANT_TRUE, 0x00FF00, 0);
    }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(headerColour(tree), QColor(255, 0, 0)) << "another thread changes nothing here";
    EXPECT_EQ(api->SetLVHeaderColor(0, VARIANT_FALSE, 0, 0), S_OK);
    EXPECT_EQ(headerColour(tree), own);
}

TEST_F(ApiFunsWindows, MenusByHandleAndPosition) {
    QMainWindow window;
    QMenu* view = window.menuBar()->addMenu(QStringLiteral("View"));
    view->addAction(QStringLiteral("Small"));
    view->addAction(QStringLiteral("Large"));
    LONG bar = 0;
    EXPECT_EQ(api->GetMenuHandle(handleOf(window), &bar), S_OK);
    ASSERT_NE(bar, 0);
    LONG position = 0;
    LONG menu = 0;
    EXPECT_EQ(api->GetSubMenuHandle(bar, &position, &menu), S_OK);
    EXPECT_EQ(position, 0);
    ASSERT_NE(menu, 0);
    EXPECT_EQ(api->SetRadioMenu(menu, 1), S_OK);
    EXPECT_FALSE(view->actions().at(0)->isChecked());
    EXPECT_TRUE(view->actions().at(1)->isChecked());
    position = 5;
    EXPECT_EQ(api->GetSubMenuHandle(bar, &position, &menu), S_OK);
    EXPECT_EQ(menu, 0);
}

TEST_F(ApiFunsWindows, DropFilesGivesTheFirstFileOnce) {
    TempDir dir;
    const fs::path one = dir.write("one.vbp", "");
    const fs::path two = dir.write("two.vbp", "");
    QLabel target;
    EXPECT_EQ(api->AcceptDragFiles(handleOf(target), 1), S_OK);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(one.string())),
                  QUrl::fromLocalFile(QString::fromStdString(two.string()))});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    const LONG hDrop = target.property("hDrop").toInt();
    ASSERT_NE(hDrop, 0);
    Bstr first;
    EXPECT_EQ(api->DropFiles(hDrop, first.inOut()), S_OK);
    EXPECT_EQ(first.text(), one.u16string());
    Bstr again;
    EXPECT_EQ(api->DropFiles(hDrop, again.inOut()), S_OK);
    EXPECT_EQ(again.text(), u"");
}

TEST_F(ApiFunsWindows, SelectColorTellsACancelFromBlack) {
    const auto choose = [](QColor colour) {
        return [colour](QColorDialog* dialog) {
            dialog->setCurrentColor(colour);
            QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
            return true;
        };
    };
    ModalDriver driver;
    driver.on<QColorDialog>(choose(QColor(255, 0, 0)))
        .on<QColorDialog>([](QColorDialog* dialog) { return rejectLater(dialog); })
        .on<QColorDialog>(choose(QColor(0, 0, 0)));
    LONG colour = 7;
    EXPECT_EQ(api->SelectColor(0, &colour), S_OK);
    EXPECT_EQ(colour, 255);
    EXPECT_EQ(api->SelectColor(0, &colour), S_OK);
    EXPECT_EQ(colour, -1);
    EXPECT_EQ(api->SelectColor(0, &colour), S_OK);
    EXPECT_EQ(colour, 0);
}

TEST_F(ApiFunsWindows, ChooseFolderGivesThePathOrNothing) {
    TempDir dir;
    fs::create_directories(dir / "Projects");
    CurrentDirGuard cwd(dir.path());
    ModalDriver driver;
    driver.on<QFileDialog>([](QFileDialog* dialog) { return typeAndConfirm(dialog, "Projects"); })
        .on<QFileDialog>([](QFileDialog* dialog) { return rejectLater(dialog); });
    Bstr folder;
    EXPECT_EQ(api->ChooseFolder(0, Bstr(u"Choose").get(), folder.inOut()), S_OK);
    EXPECT_EQ(folder.text(), (dir / "Projects").u16string());
    Bstr none;
    EXPECT_EQ(api->ChooseFolder(0, Bstr(u"Choose").get(), none.inOut()), S_OK);
    EXPECT_EQ(none.text(), u"");
}

TEST_F(ApiFunsWindows, ClipboardTextBothWays) {
    EXPECT_EQ(api->SetClipboardText(Bstr(u"Zeile \u00E4\u20AC\U0001F600").get()), S_OK);
    Bstr read;
    EXPECT_EQ(api->GetClipboardText(read.inOut()), S_OK);
    EXPECT_EQ(read.text(), u"Zeile \u00E4\u20AC\U0001F600");
    EXPECT_EQ(api->SetClipboardText(Bstr(std::u16string(u"a\0b", 3)).get()), S_OK);
    Bstr cut;
    EXPECT_EQ(api->GetClipboardText(cut.inOut()), S_OK);
    EXPECT_EQ(cut.text(), u"a");
    QApplication::clipboard()->clear();
    Bstr empty;
    EXPECT_EQ(api->GetClipboardText(empty.inOut()), S_OK);
    EXPECT_EQ(empty.text(), u"");
}

TEST_F(ApiFunsWindows, FindWindowTitleAndFileIcon) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tallyvex test window"));
    LONG found = 0;
    EXPECT_EQ(api->FindWindowTitle(Bstr(u"Tallyvex test window").get(), &found), S_OK);
    EXPECT_EQ(found, handleOf(window));

    TempDir dir;
    dir.write("App.vbp", "Type=Exe\r\n");
    QWidget small;
    QWidget large;
    CurrentDirGuard cwd(dir.path());
    EXPECT_EQ(api->GetFileIcon(Bstr(u"Missing.vbp").get(), handleOf(small), handleOf(large)), S_OK);
    EXPECT_EQ(small.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(api->GetFileIcon(Bstr(u".\\APP.VBP").get(), handleOf(small), handleOf(large)), S_OK);
    const auto* icon = large.findChild<QLabel*>(QStringLiteral("fileIcon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
}

}  // namespace
