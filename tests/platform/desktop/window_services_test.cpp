// Windows by title, menus, file drops, header colours and file icons, on
// widgets of the test program (offscreen platform), through the loader.

#include <gtest/gtest.h>

#include <QActionGroup>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

#include "platform/desktop/windows.h"
#include "tests/support/temp_dir.h"
#include "tests/support/widget_handle.h"

namespace {

using namespace tlvx::platform::desktop;
using namespace tlvx::test;
namespace fs = std::filesystem;

TEST(WindowsByTitle, ExactTitleOfAWindowOfThisProcess) {
    QWidget shown;
    shown.setWindowTitle(QStringLiteral("Report"));
    shown.show();
    QWidget hidden;
    hidden.setWindowTitle(QStringLiteral("Hidden one"));
    QWidget child(&shown);

    EXPECT_EQ(findTopLevelWindow(u"Report"), handleOf(shown));
    EXPECT_EQ(findTopLevelWindow(u"Hidden one"), handleOf(hidden)) << "hidden windows count";
    EXPECT_EQ(findTopLevelWindow(u"report"), 0) << "letter case counts";
    EXPECT_EQ(findTopLevelWindow(u"Repo"), 0);
    EXPECT_EQ(findTopLevelWindow(u"No such window"), 0);

    // Of two windows with the same title, a shown one comes first.
    QWidget twin;
    twin.setWindowTitle(QStringLiteral("Report"));
    EXPECT_EQ(findTopLevelWindow(u"Report"), handleOf(shown));

    // The title as shown: Qt's placeholder for the modified mark.
    QWidget editor;
    editor.setWindowTitle(QStringLiteral("Notes[*]"));
    EXPECT_EQ(findTopLevelWindow(u"Notes"), handleOf(editor));
    editor.setWindowModified(true);
    EXPECT_EQ(findTopLevelWindow(u"Notes*"), handleOf(editor));

    // A pop-up menu is no window.
    QMenu popup;
    popup.setTitle(QStringLiteral("Popup"));
    popup.setWindowTitle(QStringLiteral("Popup"));
    EXPECT_EQ(findTopLevelWindow(u"Popup"), 0);
}

class Menus : public testing::Test {
protected:
    Menus() {
        file = window.menuBar()->addMenu(QStringLiteral("File"));
        file->addAction(QStringLiteral("New"));
        file->addAction(QStringLiteral("Open"));
        file->addSeparator();
        recent = file->addMenu(QStringLiteral("Recent"));
        view = window.menuBar()->addMenu(QStringLiteral("View"));
        for (const char* name : {"Small", "Large", "List"})
            view->addAction(QString::fromLatin1(name));
    }
    std::int32_t viewMenu() { return subMenuOf(menuBarOf(handleOf(window)), 1); }
    bool checked(int position) const { return view->actions().at(position)->isChecked(); }

    QMainWindow window;
    QMenu* file;
    QMenu* recent;
    QMenu* view;
};

TEST_F(Menus, HandlesOfTheMenuBarAndItsMenus) {
    const std::int32_t bar = menuBarOf(handleOf(window));
    ASSERT_NE(bar, 0);
    EXPECT_EQ(menuBarOf(handleOf(window)), bar) << "a menu keeps its handle";
    const std::int32_t fileMenu = subMenuOf(bar, 0);
    ASSERT_NE(fileMenu, 0);
    EXPECT_NE(fileMenu, bar);
    EXPECT_NE(subMenuOf(bar, 1), fileMenu);
    // Positions count separators; an item without a menu has none.
    EXPECT_NE(subMenuOf(fileMenu, 3), 0);
    EXPECT_EQ(subMenuOf(fileMenu, 3), subMenuOf(fileMenu, 3));
    EXPECT_EQ(subMenuOf(fileMenu, 0), 0);
    EXPECT_EQ(subMenuOf(fileMenu, 2), 0);
    EXPECT_EQ(subMenuOf(fileMenu, 4), 0);
    EXPECT_EQ(subMenuOf(fileMenu, -1), 0);
    EXPECT_EQ(subMenuOf(0, 0), 0);
    EXPECT_EQ(subMenuOf(handleOf(window), 0), 0) << "a window id is no menu handle";
    checkRadioMenuItem(handleOf(*view), 0);
    EXPECT_FALSE(view->actions().at(0)->isChecked()) << "nor is a menu's window id";
}

TEST_F(Menus, NoMenuBarIsMadeWhereThereIsNone) {
    QMainWindow plain;
    EXPECT_EQ(menuBarOf(handleOf(plain)), 0);
    EXPECT_EQ(plain.menuWidget(), nullptr);
    // A dialog's menu bar in its layout; a child widget has no menu bar.
    QWidget dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* bar = new QMenuBar;
    layout->setMenuBar(bar);
    EXPECT_NE(menuBarOf(handleOf(dialog)), 0);
    EXPECT_EQ(menuBarOf(handleOf(*window.menuBar())), 0);
    EXPECT_EQ(menuBarOf(0), 0);
}

TEST_F(Menus, RadioMarkMovesFromItemToItem) {
    const std::int32_t menu = viewMenu();
    checkRadioMenuItem(menu, 1);
    EXPECT_FALSE(checked(0));
    EXPECT_TRUE(checked(1));
    EXPECT_FALSE(checked(2));
    QAction* large = view->actions().at(1);
    ASSERT_NE(large->actionGroup(), nullptr);
    EXPECT_TRUE(large->actionGroup()->isExclusive()) << "drawn with a radio mark";

    checkRadioMenuItem(menu, 2);
    EXPECT_FALSE(checked(1));
    EXPECT_TRUE(checked(2));
    EXPECT_EQ(large->actionGroup(), nullptr) << "the others lose the radio look too";

    // Outside the menu: nothing changes.
    checkRadioMenuItem(menu, 3);
    checkRadioMenuItem(menu, -1);
    EXPECT_TRUE(checked(2));

    // A check mark of the application's own is taken as well.
    view->actions().at(0)->setCheckable(true);
    view->actions().at(0)->setChecked(true);
    checkRadioMenuItem(menu, 1);
    EXPECT_FALSE(checked(0));
    EXPECT_FALSE(checked(2));
    EXPECT_TRUE(checked(1));
}

TEST_F(Menus, HandleOfADestroyedMenuNamesNothing) {
    const std::int32_t bar = menuBarOf(handleOf(window));
    const std::int32_t recentMenu = subMenuOf(subMenuOf(bar, 0), 3);
    ASSERT_NE(recentMenu, 0);
    recent->addMenu(QStringLiteral("Deeper"));
    delete recent;
    checkRadioMenuItem(recentMenu, 0);
    EXPECT_EQ(subMenuOf(recentMenu, 0), 0);
    // A new menu gets a handle of its own.
    QMenu* again = file->addMenu(QStringLiteral("Again"));
    again->addMenu(QStringLiteral("Sub"));
    EXPECT_NE(subMenuOf(subMenuOf(bar, 0), 3), recentMenu);
}

// A drag of `urls` over `target`, dropped there as a window system would:
// enter, move, drop. Whether the target took it.
bool dropOn(QWidget& target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

std::int32_t dropHandleOf(const QWidget& widget) {
    return widget.property("hDrop").toInt();
}

class FileDrops : public testing::Test {
protected:
    FileDrops() {
        first = temp.write("first file.vbp", "");
        second = temp.write("second.vbg", "");
    }
    QUrl url(const fs::path& path) const {
        return QUrl::fromLocalFile(QString::fromStdString(path));
    }

    TempDir temp;
    fs::path first;
    fs::path second;
};

TEST_F(FileDrops, ADropGivesAHandleForItsFirstFileThenIsReleased) {
    QLabel target;
    acceptDroppedFiles(handleOf(target), true);
    EXPECT_TRUE(target.acceptDrops());
    ASSERT_TRUE(
        dropOn(target, {QUrl(QStringLiteral("https://example.org/")), url(first), url(second)}));
    const std::int32_t drop = dropHandleOf(target);
    ASSERT_NE(drop, 0);
    EXPECT_EQ(takeFirstDroppedFile(drop), first.u16string());
    EXPECT_EQ(takeFirstDroppedFile(drop), u"") << "released";
    EXPECT_EQ(takeFirstDroppedFile(0), u"");
    EXPECT_EQ(takeFirstDroppedFile(-5), u"");
}

TEST_F(FileDrops, OnlyDragsOfLocalFilesAreTaken) {
    QLabel target;
    acceptDroppedFiles(handleOf(target), true);
    EXPECT_FALSE(dropOn(target, {QUrl(QStringLiteral("https://example.org/x.vbp"))}));
    EXPECT_FALSE(target.property("hDrop").isValid());

    acceptDroppedFiles(handleOf(target), false);
    EXPECT_FALSE(target.acceptDrops());
    EXPECT_FALSE(dropOn(target, {url(first)}));
    EXPECT_FALSE(target.property("hDrop").isValid());
    QLabel never;
    acceptDroppedFiles(handleOf(never), false);
    EXPECT_FALSE(dropOn(never, {url(first)}));
}

TEST_F(FileDrops, ALaterDropOrTheEndOfTheWidgetReleasesADropNotTaken) {
    auto target = std::make_unique<QLabel>();
    acceptDroppedFiles(handleOf(*target), true);
    ASSERT_TRUE(dropOn(*target, {url(first)}));
    const std::int32_t earlier = dropHandleOf(*target);
    ASSERT_TRUE(dropOn(*target, {url(second)}));
    const std::int32_t later = dropHandleOf(*target);
    EXPECT_NE(later, earlier);
    EXPECT_EQ(takeFirstDroppedFile(earlier), u"");
    ASSERT_TRUE(dropOn(*target, {url(first)}));
    const std::int32_t last = dropHandleOf(*target);
    target.reset();
    EXPECT_EQ(takeFirstDroppedFile(last), u"");
}

TEST_F(FileDrops, AListTakesDropsOnItsViewport) {
    QListWidget list;
    acceptDroppedFiles(handleOf(list), true);
    ASSERT_TRUE(dropOn(*list.viewport(), {url(second), url(first)}));
    EXPECT_EQ(takeFirstDroppedFile(dropHandleOf(list)), second.u16string());
}

TEST(HeaderColours, ColouredAndBackInItsOwnColours) {
    QWidget parent;
    auto* tree = new QTreeWidget(&parent);
    tree->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
    QHeaderView* header = tree->header();
    const QPalette before = header->palette();
    ASSERT_TRUE(colourHeader(handleOf(*tree), 0x0000FF, 0xFFFFFF));
    EXPECT_EQ(header->palette().color(QPalette::Button), QColor(255, 0, 0));
    EXPECT_EQ(header->palette().color(QPalette::ButtonText), QColor(255, 255, 255));
    EXPECT_EQ(header->palette().color(QPalette::Inactive, QPalette::Button), QColor(255, 0, 0));

    // Painted in those colours: the styles shade a section, but it is red
    // all the same.
    parent.resize(300, 200);
    tree->resize(300, 200);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    const QImage painted = header->grab().toImage();
    const QColor middle = painted.pixelColor(header->sectionSize(0) - 4, header->height() / 2);
    EXPECT_GT(middle.red(), 200);
    EXPECT_GT(middle.red() - middle.green(), 100);
    EXPECT_GT(middle.red() - middle.blue(), 100);

    restoreHeader(handleOf(*tree));
    EXPECT_EQ(header->palette().color(QPalette::Button), before.color(QPalette::Button));
    EXPECT_EQ(header->palette().color(QPalette::ButtonText), before.color(QPalette::ButtonText));
    // The header follows its window's colours again.
    QPalette green = parent.palette();
    green.setColor(QPalette::Button, Qt::green);
    parent.setPalette(green);
    EXPECT_EQ(header->palette().color(QPalette::Button), QColor(Qt::green));
}

TEST(HeaderColours, TablesTooAndNothingElse) {
    QTableWidget table(1, 2);
    ASSERT_TRUE(colourHeader(handleOf(table), 0x00FF00, 0));
    EXPECT_EQ(table.horizontalHeader()->palette().color(QPalette::Button), QColor(0, 255, 0));
    EXPECT_NE(table.verticalHeader()->palette().color(QPalette::Button), QColor(0, 255, 0));
    QLabel label;
    EXPECT_FALSE(colourHeader(handleOf(label), 0x00FF00, 0));
    EXPECT_FALSE(colourHeader(0, 0x00FF00, 0));
    restoreHeader(handleOf(label));
    restoreHeader(0);
}

QLabel* iconIn(QWidget& target) {
    return target.findChild<QLabel*>(QStringLiteral("fileIcon"), Qt::FindDirectChildrenOnly);
}

TEST(FileIcons, SmallAndLargeIconAtTheTopLeftCorner) {
    TempDir temp;
    const fs::path project = temp.write("App.vbp", "Type=Exe\r\n");
    QWidget small;
    QWidget large;
    showFileIcon(project.u16string(), handleOf(small), handleOf(large));
    ASSERT_NE(iconIn(small), nullptr);
    ASSERT_NE(iconIn(large), nullptr);
    EXPECT_EQ(iconIn(small)->geometry(), QRect(0, 0, 16, 16));
    EXPECT_EQ(iconIn(large)->geometry(), QRect(0, 0, 32, 32));
    EXPECT_FALSE(iconIn(small)->pixmap().isNull());
    EXPECT_FALSE(iconIn(large)->pixmap().isNull());

    // A folder's icon replaces the file's; one target alone is enough.
    showFileIcon(temp.path().u16string(), handleOf(small), 0);
    EXPECT_EQ(small.findChildren<QLabel*>().size(), 1);
}

TEST(FileIcons, NothingForANameThatNamesNothing) {
    TempDir temp;
    QWidget small;
    QWidget large;
    showFileIcon((temp / "missing.vbp").u16string(), handleOf(small), handleOf(large));
    showFileIcon(u"", handleOf(small), handleOf(large));
    EXPECT_EQ(iconIn(small), nullptr);
    EXPECT_EQ(iconIn(large), nullptr);
}

}  // namespace
