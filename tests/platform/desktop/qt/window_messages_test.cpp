// Window messages as the library's callers send them: to widgets of this
// process named by their window ids, on the offscreen platform, through the
// platform library's loader.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <thread>

#include "platform/desktop/windows.h"
#include "tests/support/qt_application.h"
#include "tests/support/widget_handle.h"

namespace {

using namespace tlvx::platform::desktop;
using namespace tlvx::test;

// One application for the whole test program (its other files too).
[[maybe_unused]] testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

constexpr std::int32_t kSetText = 0x0C;
constexpr std::int32_t kClose = 0x10;
constexpr std::int32_t kUndo = 0xC7;
constexpr std::int32_t kCut = 0x300;
constexpr std::int32_t kCopy = 0x301;
constexpr std::int32_t kPaste = 0x302;
constexpr std::int32_t kClear = 0x303;
constexpr std::int32_t kHorizontalExtent = 0x194;
constexpr std::int32_t kTreeBackground = 0x111D;
constexpr std::int32_t kColumnWidth = 0x101E;

void send(QWidget& widget, std::int32_t message, std::int32_t paramA = 0, std::int32_t paramB = 0) {
    sendMessage(handleOf(widget), message, paramA, MessageParam::ofNumber(paramB));
}

void sendText(QWidget& widget, const std::u16string& text) {
    sendMessage(handleOf(widget), kSetText, 0, MessageParam{std::nullopt, text});
}

TEST(WindowMessages, SetTextReachesEditsLabelsButtonsAndWindowTitles) {
    QWidget window;
    auto* line = new QLineEdit(&window);
    auto* plain = new QPlainTextEdit(&window);
    auto* label = new QLabel(&window);
    auto* button = new QPushButton(&window);
    for (QWidget* widget : std::initializer_list<QWidget*>{line, plain, label, button})
        sendText(*widget, u"Caption");
    sendText(window, u"Title");
    EXPECT_EQ(line->text(), "Caption");
    EXPECT_EQ(plain->toPlainText(), "Caption");
    EXPECT_EQ(label->text(), "Caption");
    EXPECT_EQ(button->text(), "Caption");
    EXPECT_EQ(window.windowTitle(), "Title");

    // A text ends at its first NUL; a number is no text.
    sendText(*line, std::u16string(u"Left\0Right", 10));
    EXPECT_EQ(line->text(), "Left");
    send(*line, kSetText, 0, 42);
    EXPECT_EQ(line->text(), "Left");
}

TEST(WindowMessages, UndoTogglesAsAnEditOfOneUndoLevel) {
    QWidget window;
    auto* line = new QLineEdit(&window);
    auto* plain = new QPlainTextEdit(&window);
    window.show();
    for (QWidget* edit : std::initializer_list<QWidget*>{line, plain}) {
        QTest::keyClicks(edit, "abc");
        const auto text = [edit] {
            auto* l = qobject_cast<QLineEdit*>(edit);
            return l ? l->text() : static_cast<QPlainTextEdit*>(edit)->toPlainText();
        };
        send(*edit, kUndo);
        EXPECT_EQ(text(), "");
        send(*edit, kUndo);
        EXPECT_EQ(text(), "abc") << "the second undo takes the first back";
        send(*edit, kUndo);
        EXPECT_EQ(text(), "");
        // A change in between: the next undo undoes that change.
        QTest::keyClicks(edit, "x");
        send(*edit, kUndo);
        EXPECT_EQ(text(), "");
    }
}

TEST(WindowMessages, ClipboardCommandsOfAnEdit) {
    QLineEdit line(QStringLiteral("hello world"));
    line.setSelection(6, 5);
    QApplication::clipboard()->clear();
    send(line, kCopy);
    EXPECT_EQ(QApplication::clipboard()->text(), "world");
    send(line, kCut);
    EXPECT_EQ(line.text(), "hello ");
    line.setCursorPosition(0);
    send(line, kPaste);
    EXPECT_EQ(line.text(), "worldhello ");
    line.setSelection(0, 5);
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    send(line, kClear);
    EXPECT_EQ(line.text(), "hello ");
    EXPECT_EQ(QApplication::clipboard()->text(), "kept") << "clear leaves the clipboard alone";
    // Without a selection, clear removes nothing.
    line.setCursorPosition(0);
    send(line, kClear);
    EXPECT_EQ(line.text(), "hello ");

    QPlainTextEdit plain(QStringLiteral("one two"));
    QTextCursor cursor = plain.textCursor();
    cursor.setPosition(0);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    plain.setTextCursor(cursor);
    send(plain, kClear);
    EXPECT_EQ(plain.toPlainText(), "two");
}

TEST(WindowMessages, ReadOnlyEditsAndPasswordBoxesRefuseWhatTheyMustNotDo) {
    QLineEdit readOnly(QStringLiteral("fixed"));
    readOnly.setReadOnly(true);
    readOnly.selectAll();
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    send(readOnly, kCut);
    send(readOnly, kPaste);
    send(readOnly, kClear);
    EXPECT_EQ(readOnly.text(), "fixed");
    send(readOnly, kCopy);
    EXPECT_EQ(QApplication::clipboard()->text(), "fixed");

    QLineEdit password(QStringLiteral("secret"));
    password.setEchoMode(QLineEdit::Password);
    password.selectAll();
    QApplication::clipboard()->setText(QStringLiteral("other"));
    send(password, kCopy);
    send(password, kCut);
    EXPECT_EQ(QApplication::clipboard()->text(), "other");
    EXPECT_EQ(password.text(), "secret");
}

// A window that may refuse to close.
class GuardedWindow : public QWidget {
public:
    bool refuse = false;

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!refuse); }
};

TEST(WindowMessages, CloseAsksTheWindow) {
    GuardedWindow window;
    window.show();
    window.refuse = true;
    send(window, kClose);
    EXPECT_TRUE(window.isVisible());
    window.refuse = false;
    send(window, kClose);
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowMessages, HorizontalExtentLetsAListScrollSideways) {
    QListWidget list;
    list.addItems({QStringLiteral("a"), QStringLiteral("b")});
    list.resize(120, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const int viewport = list.viewport()->width();
    send(list, kHorizontalExtent, 600);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 600 - viewport);
    // Laid out anew (more items, another size): the extent stays.
    list.addItem(QStringLiteral("c"));
    list.resize(140, 100);
    QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 600 - list.viewport()->width());
    send(list, kHorizontalExtent, 0);
    list.addItem(QStringLiteral("d"));
    QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 0);
}

TEST(WindowMessages, TreeBackgroundAndBackToTheDefault) {
    QTreeWidget tree;
    const QColor before = tree.palette().color(QPalette::Base);
    send(tree, kTreeBackground, 0, 0x0080FF);  // 0x00BBGGRR: orange
    EXPECT_EQ(tree.palette().color(QPalette::Base), QColor(255, 128, 0));
    EXPECT_EQ(tree.palette().color(QPalette::Inactive, QPalette::Base), QColor(255, 128, 0));
    send(tree, kTreeBackground, 0, 0xFF0000);
    EXPECT_EQ(tree.palette().color(QPalette::Base), QColor(0, 0, 255));
    send(tree, kTreeBackground, 0, -1);
    EXPECT_EQ(tree.palette().color(QPalette::Base), before);
    // Not a tree: nothing happens.
    QLineEdit line;
    const QColor lineBase = line.palette().color(QPalette::Base);
    send(line, kTreeBackground, 0, 0x0000FF);
    EXPECT_EQ(line.palette().color(QPalette::Base), lineBase);
}

TEST(WindowMessages, ColumnWidthSetOrFittedToTheContents) {
    QTreeWidget tree;
    // The last column stretches to the view's edge; the others are sized.
    tree.setColumnCount(4);
    tree.setHeaderLabels({QStringLiteral("A header title wider than its items"),
                          QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("End")});
    auto* item = new QTreeWidgetItem(&tree);
    item->setText(0, QStringLiteral("x"));
    item->setText(1, QStringLiteral("An item text much wider than the header"));
    tree.resize(600, 200);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    QHeaderView* header = tree.header();

    send(tree, kColumnWidth, 2, 77);
    EXPECT_EQ(header->sectionSize(2), 77);
    send(tree, kColumnWidth, 1, -1);
    const int fitted = header->sectionSize(1);
    EXPECT_GT(fitted, header->fontMetrics().horizontalAdvance(item->text(1)));
    EXPECT_LT(fitted, header->fontMetrics().horizontalAdvance(item->text(1)) + 60);
    // -1 fits the items only, -2 the header title as well.
    send(tree, kColumnWidth, 0, -1);
    const int itemsOnly = header->sectionSize(0);
    send(tree, kColumnWidth, 0, -2);
    EXPECT_GT(header->sectionSize(0), itemsOnly);
    EXPECT_GE(header->sectionSize(0), header->sectionSizeHint(0));
    // A column the view does not have, or another negative width: nothing.
    send(tree, kColumnWidth, 4, 50);
    send(tree, kColumnWidth, 2, -3);
    EXPECT_EQ(header->sectionSize(2), 77);

    QTableWidget table(1, 2);
    send(table, kColumnWidth, 1, 90);
    EXPECT_EQ(table.horizontalHeader()->sectionSize(1), 90);
}

TEST(WindowMessages, OtherMessagesAndUnknownHandlesAreDropped) {
    QLineEdit line(QStringLiteral("text"));
    line.selectAll();
    send(line, 0x0C + 0x1000);
    send(line, kColumnWidth, 0, 10);  // no list view
    EXPECT_EQ(line.text(), "text");
    // Handles that name no widget: nothing happens, nothing breaks.
    for (const std::int32_t handle : {0, -1, 0x7FFFFFF0}) {
        sendMessage(handle, kSetText, 0, MessageParam{std::nullopt, u"x"});
        sendMessage(handle, kClose, 0, MessageParam::ofNumber(0));
    }
}

TEST(WindowMessages, PostedMessagesWaitForTheEventLoop) {
    QLineEdit line;
    postMessage(handleOf(line), kSetText, 0, MessageParam{std::nullopt, u"later"});
    EXPECT_EQ(line.text(), "");
    QTRY_COMPARE(line.text(), QStringLiteral("later"));

    // From another thread a sent message is handled by the application's
    // thread, too.
    std::thread([handle = handleOf(line)] {
        sendMessage(handle, kSetText, 0, MessageParam{std::nullopt, u"from afar"});
    }).join();
    QTRY_COMPARE(line.text(), QStringLiteral("from afar"));

    // A widget gone before its posted message is handled: dropped.
    auto gone = std::make_unique<QLineEdit>();
    postMessage(handleOf(*gone), kSetText, 0, MessageParam{std::nullopt, u"never"});
    gone.reset();
    QCoreApplication::processEvents();
}

}  // namespace
