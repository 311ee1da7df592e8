// Projects and groups reach the main window without the open dialog: a
// file dropped from the file manager, and the file the program is started
// with. Both go the way Ctrl+O goes: analysed, shown, recorded, or told.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class ProjectDropTest : public WindowTest {
protected:
    QString counter() { return child<QLineEdit>(main(), "txtCount")->text(); }
    QString box(int index) {
        return child<QLineEdit>(main(), ("txt" + std::to_string(index)).c_str())->text();
    }
    QTreeView& listing() { return *child<QTreeView>(main(), "lsv"); }

    static std::unique_ptr<QMimeData> filesData(const std::vector<fs::path>& files) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const auto& file : files)
            urls.append(QUrl::fromLocalFile(QString::fromStdString(file)));
        data->setUrls(urls);
        return data;
    }

    // Drags `data` over `target` as the file manager does: enter, move,
    // drop. Whether the window took the drag.
    bool dragAndDrop(QWidget& target, const QMimeData& data) {
        const QPoint middle = target.rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                              Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted()) return false;
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
        QDragMoveEvent move(middle, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&target, &move);
        EXPECT_TRUE(move.isAccepted());
        QDropEvent drop(QPointF(middle), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        EXPECT_TRUE(drop.isAccepted());
        // The analysis runs once the drop has ended.
        processEventsFor(milliseconds(20));
        return true;
    }
};

TEST_F(ProjectDropTest, ADroppedGroupIsAnalysedAndRecordedAsAChosenOneIs) {
    const fs::path group = writeGroup();
    main().show();
    const auto data = filesData({group});
    ASSERT_TRUE(dragAndDrop(main(), *data));
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));
    EXPECT_EQ(box(0), QStringLiteral("One"));
    EXPECT_EQ(box(1), QStringLiteral("1.2.3"));
    EXPECT_EQ(rowCount(listing()), 3);
    EXPECT_TRUE(fs::is_regular_file(work / "verhis" / "One" / "1.2.3"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ProjectDropTest, AProjectDroppedOnAnyControlOpensAndTakesTheFirstProjectOfTheDrag) {
    writeGroup();
    main().show();
    // Dropped on a property box, which would otherwise take the path as
    // text, and among files that are no projects, in upper case.
    const fs::path upper = projects / "Shop" / "TWO" / "TWO.VBP";
    fs::create_directories(upper.parent_path());
    fs::copy_file(projects / "Shop" / "Two" / "Two.vbp", upper);
    fs::copy_file(projects / "Shop" / "Two" / "mdlD.bas", upper.parent_path() / "mdlD.bas");
    const fs::path notes = projects.write("notes.txt", "Type=Exe\r\n");
    const auto data = filesData({notes, upper, projects / "Shop" / "Shop.vbg"});
    ASSERT_TRUE(dragAndDrop(*child<QLineEdit>(main(), "txt0"), *data));
    EXPECT_EQ(counter(), QStringLiteral("  1/1"));
    EXPECT_EQ(box(0), QStringLiteral("Two"));
    EXPECT_EQ(rowCount(listing()), 1);
    EXPECT_TRUE(fs::is_regular_file(work / "verhis" / "Two" / "0.0.1"));

    // And on the listing.
    const auto group = filesData({projects / "Shop" / "Shop.vbg"});
    ASSERT_TRUE(dragAndDrop(*listing().viewport(), *group));
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));
    EXPECT_EQ(box(0), QStringLiteral("One"));
}

TEST_F(ProjectDropTest, DragsWithoutAProjectAreLeftToTheControls) {
    main().show();
    const fs::path notes = projects.write("notes.txt", "Type=Exe\r\n");
    const auto files = filesData({notes, projects / "picture.png"});
    EXPECT_FALSE(dragAndDrop(main(), *files));
    QMimeData text;
    text.setText(QStringLiteral("One.vbp"));
    EXPECT_FALSE(dragAndDrop(main(), text));
    // A web address naming a project is no file here.
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/One.vbp"))});
    EXPECT_FALSE(dragAndDrop(main(), remote));
    processEventsFor(milliseconds(20));
    EXPECT_EQ(counter(), QStringLiteral("  0/0"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProjectDropTest, ADroppedFileThatIsNoProjectIsToldAndTheListingStays) {
    const fs::path group = writeGroup();
    main().show();
    main().openProject(group.string());
    ASSERT_EQ(rowCount(listing()), 3);
    const fs::path letter = projects.write("Letter.vbp", "Dear reader,\r\nhello.\r\n");
    const auto data = filesData({letter});
    ASSERT_TRUE(dragAndDrop(main(), *data));
    EXPECT_EQ(messages.shown,
              std::vector<std::string>{"i:\"" + letter.string() +
                                       "\" is not a VB6 project (it has no \"Type=\" line and "
                                       "names no module), so it was not calculated."});
    EXPECT_EQ(rowCount(listing()), 3);
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));
    EXPECT_FALSE(fs::exists(work / "verhis" / "Letter"));
}

TEST_F(ProjectDropTest, AStartFileThatCannotBeReadIsToldAndTheWindowGoesOn) {
    main().show();
    const fs::path missing = projects / "Gone.vbg";
    main().openProject(missing.string());
    EXPECT_EQ(messages.shown, std::vector<std::string>{"w:\"" + missing.string() +
                                                       "\" cannot be read (no such file)."});
    EXPECT_EQ(counter(), QStringLiteral("  0/0"));
    // A folder is refused as well.
    messages.shown.clear();
    main().openProject(projects.path().string());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(
        messages.shown[0].starts_with("w:\"" + projects.path().string() + "\" cannot be read"))
        << messages.shown[0];
    // The window still does its work.
    main().openProject(writeGroup().string());
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));
    EXPECT_TRUE(fs::is_regular_file(work / "verhis" / "One" / "1.2.3"));
}

}  // namespace
}  // namespace tlvx::test
