// The main window as a user meets it: its controls, keys, choosing and
// stepping, sorting, the help menu, the export and its fixed size.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "program/analysis/listing_model.h"
#include "program/history/history_browser.h"
#include "program/history/listing_export.h"
#include "program/ui/about_window.h"
#include "program/ui/history_window.h"
#include "program/ui/web_links.h"
#include "program/ui/window_look.h"
#include "tests/support/environment_guard.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;
using ui::twipsRect;

const QString kInitialSummary = QStringLiteral("Total Lines: please choose a project/group first.");

class MainWindowTest : public WindowTest {
protected:
    // Chooses a project or group through the open dialog, as a user does.
    void choose(const fs::path& file) {
        ModalDriver driver;
        driver.on<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose VB6 Project (Group)"));
            return typeAndConfirm(dialog, QString::fromStdString(file.string()));
        });
        child<QPushButton>(main(), "sbt0")->click();
    }

    QString counter() { return child<QLineEdit>(main(), "txtCount")->text(); }
    QString box(int index) {
        return child<QLineEdit>(main(), ("txt" + std::to_string(index)).c_str())->text();
    }
    QTreeView& listing() { return *child<QTreeView>(main(), "lsv"); }

    void clickHeader(int section) {
        QHeaderView* header = listing().header();
        const QPoint middle(
            header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
    }

    void showAndActivate() {
        main().show();
        main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    }
};

// Texts as names (letter case ignored), numbers by value.
bool isSorted(const QStringList& texts, bool descending, bool numbers = false) {
    for (qsizetype i = 1; i < texts.size(); ++i) {
        const int c = numbers ? (texts[i - 1].toLongLong() > texts[i].toLongLong()) -
                                    (texts[i - 1].toLongLong() < texts[i].toLongLong())
                              : QString::compare(texts[i - 1], texts[i], Qt::CaseInsensitive);
        if (descending ? c < 0 : c > 0) return false;
    }
    return true;
}

TEST_F(MainWindowTest, ShowsItsControlsWithTheirTextsPlacesAndNames) {
    EXPECT_EQ(main().objectName(), QStringLiteral("frmPubMain"));
    EXPECT_EQ(main().windowTitle(), QStringLiteral("Tallyvex"));
    EXPECT_FALSE(main().windowIcon().isNull());

    struct Button {
        const char* name;
        int index;
        QRect place;
        const char* caption;
        const char* toolTip;
    };
    const Button buttons[] = {
        {"sbt0", 0, twipsRect(90, 570, 2460, 360), "&Choose Project (Group)",
         "Chooses a project (group) file to calculate <Ctrl+O>."},
        {"sbt1", 1, twipsRect(2640, 570, 2460, 360), "&Show Version History",
         "Shows version history for all calculated projects <Ctrl+H>."},
        {"sbt7", 7, twipsRect(5190, 570, 2460, 360), "&Output Result Listing",
         "Outputs current calculating result to a txt/csv file."},
        {"sbt3", 3, twipsRect(7740, 570, 1830, 360), "&Make Donation",
         "It's 100% Freeware, welcome your donation with any amount as you like."},
        {"sbt2", 2, twipsRect(9660, 600, 300, 300), "", "Help."},
        {"sbt10", 10, twipsRect(1980, 1065, 195, 195), "<", "Displays previous project."},
        {"sbt11", 11, twipsRect(2640, 1065, 195, 195), ">", "Displays next project."},
    };
    for (const Button& expected : buttons) {
        SCOPED_TRACE(expected.name);
        auto* button = child<QPushButton>(main(), expected.name);
        EXPECT_EQ(button->property("index").toInt(), expected.index);
        EXPECT_EQ(button->geometry(), expected.place);
        EXPECT_EQ(button->text(), QString::fromUtf8(expected.caption));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(expected.toolTip));
        if (expected.index < 10) {
            EXPECT_FALSE(button->icon().isNull());
        }
    }
    // No button for the indices the array leaves out.
    for (const char* missing : {"sbt4", "sbt5", "sbt6", "sbt8", "sbt9"})
        EXPECT_EQ(main().findChild<QWidget*>(missing), nullptr) << missing;

    auto* desc = child<QLabel>(main(), "lblDesc");
    EXPECT_TRUE(
        desc->text().startsWith("This program is designed to calculate the PURE code lines"));
    EXPECT_TRUE(desc->wordWrap());
    EXPECT_EQ(desc->palette().color(QPalette::WindowText), ui::kDarkGreen);
    EXPECT_TRUE(desc->font().bold());
    EXPECT_EQ(child<QLabel>(main(), "lblComment")->text(),
              "Abbreviations in Below Header: P / A / C / B = Pure / All / Comment / Blank code "
              "lines.");
    auto* total = child<QLabel>(main(), "lblT");
    EXPECT_EQ(total->text(), kInitialSummary);
    EXPECT_EQ(total->pos(), twipsRect(90, 8295, 4035, 195).topLeft());
    EXPECT_TRUE(total->font().bold());

    auto* frame = child<QGroupBox>(main(), "fra");
    EXPECT_EQ(frame->title(), QStringLiteral("Project Properties"));
    EXPECT_EQ(frame->geometry(), twipsRect(75, 1065, 11340, 2610));
    EXPECT_TRUE(frame->font().bold());

    auto* count = child<QLineEdit>(main(), "txtCount");
    EXPECT_EQ(count->text(), QStringLiteral("  0/0"));
    EXPECT_TRUE(count->isReadOnly());
    EXPECT_FALSE(count->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(count->font().bold());
    EXPECT_EQ(count->palette().color(QPalette::Text), ui::kDarkGreen);

    const char* labels[] = {"lblName", "lblVer",  "lblProd", "lblDescription",
                            "lblComm", "lblComp", "lblCopy", "lblMark"};
    const char* captions[] = {"Name",     "Version",      "Product Name",    "Description",
                              "Comments", "Company Name", "Legal Copyright", "Legal Trademarks"};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        auto* text = child<QLineEdit>(main(), ("txt" + std::to_string(i)).c_str());
        EXPECT_TRUE(text->isReadOnly());
        EXPECT_TRUE(text->text().isEmpty());
        EXPECT_EQ(text->parentWidget(), frame);
        EXPECT_EQ(text->palette().color(QPalette::Text), ui::kDarkGreen);
        EXPECT_EQ(text->palette().color(QPalette::Base), text->palette().color(QPalette::Button));
        EXPECT_FALSE(text->font().bold());
        auto* label = child<QLabel>(main(), labels[i]);
        EXPECT_EQ(label->text(), QString::fromLatin1(captions[i]));
        // Each label ends 90 twips left of its box, its text whole, all of
        // them in one size.
        EXPECT_EQ(label->geometry().right() + 1, text->x() - ui::twips(90));
        EXPECT_GE(label->x(), ui::twips(90));
        EXPECT_LE(label->sizeHint().width(), label->width());
        EXPECT_EQ(label->font().pointSizeF(),
                  child<QLabel>(main(), "lblName")->font().pointSizeF());
    }
    // Where the font is wider than the designed one, the boxes make room
    // for their labels, each ending where it was designed to; the version
    // box holds a version of three 4-digit parts.
    const auto box = [&](const char* name) { return child<QLineEdit>(main(), name)->geometry(); };
    EXPECT_EQ(box("txt0").right(), twipsRect(1440, 270, 3260, 300).right());
    EXPECT_EQ(box("txt0").top(), twipsRect(1440, 270, 3260, 300).top());
    EXPECT_GE(box("txt0").left(), twipsRect(1440, 270, 3260, 300).left());
    EXPECT_EQ(box("txt7").right(), twipsRect(1440, 2220, 9810, 300).right());
    for (const char* name : {"txt3", "txt4", "txt5", "txt6", "txt7"})
        EXPECT_EQ(box(name).left(), box("txt0").left()) << name;
    EXPECT_GE(box("txt1").left(), twipsRect(5405, 270, 660, 300).left());
    EXPECT_EQ(box("txt1").width(), ui::widthForText(*child<QLineEdit>(main(), "txt1"),
                                                    QStringLiteral("9999.9999.9999")));
    EXPECT_EQ(box("txt2").right(), twipsRect(7250, 270, 4000, 300).right());
    EXPECT_GT(box("txt2").width(), box("txt2").height() * 5);

    QTreeView& list = listing();
    EXPECT_EQ(list.geometry(), twipsRect(75, 4050, 11340, 4155));
    const int widths[] = {1900, 1300, 730, 730, 730, 730, 730, 730, 857, 730, 730, 857};
    for (int c = 0; c < 12; ++c) {
        EXPECT_EQ(list.model()->headerData(c, Qt::Horizontal).toString().toStdString(),
                  analysis::kListingHeaders[static_cast<std::size_t>(c)]);
        // Wider where the header's text and its sort arrow need it.
        EXPECT_GE(list.header()->sectionSize(c), ui::twips(widths[c])) << c;
        if (c != 1) {  // "Type" holds "UserDocument" whole
            EXPECT_EQ(list.header()->sectionSize(c),
                      std::max(ui::twips(widths[c]), list.header()->sectionSizeHint(c)))
                << c;
        }
    }
    EXPECT_EQ(rowCount(list), 0);

    // Tahoma where the machine has it, else the desktop's own font.
    const QFont font = main().font();
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
    if (!QFontDatabase::families().contains("Tahoma")) {
        EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    }
}

TEST_F(MainWindowTest, LoadCreatesTheWorkingFoldersAndTheLibraryObjects) {
    EXPECT_TRUE(fs::is_directory(work / "tempprjfiles"));
    EXPECT_TRUE(fs::is_directory(work / "verhis"));
    EXPECT_TRUE(main().hasLibrary());
    EXPECT_EQ(main().historyRoot(), work / "verhis");
}

TEST_F(MainWindowTest, OpensAtItsDesignedSizeAndTakesAnyOther) {
    main().show();
    const QSize designed(ui::twips(75) + ui::twips(11340) + ui::twips(90), ui::twips(8670));
    EXPECT_EQ(designed, QSize(767, 578));
    EXPECT_EQ(main().size(), designed);
    EXPECT_EQ(listing().geometry(), twipsRect(75, 4050, 11340, 4155));
    auto* summary = child<QLabel>(main(), "lblT");
    const int summaryTop = summary->y();
    const QRect frame = child<QGroupBox>(main(), "fra")->geometry();
    // The list takes what the window gains or loses; the rest stays.
    for (const QSize asked : {QSize(1200, 900), QSize(767, 700), QSize(900, 578), designed}) {
        main().resize(asked);
        QApplication::processEvents();
        EXPECT_EQ(main().size(), asked);
        const QSize gained = asked - designed;
        EXPECT_EQ(listing().geometry(),
                  twipsRect(75, 4050, 11340, 4155).adjusted(0, 0, gained.width(), gained.height()));
        EXPECT_EQ(summary->y(), summaryTop + gained.height());
        EXPECT_EQ(child<QGroupBox>(main(), "fra")->geometry(), frame);
        // The description wraps inside the window.
        EXPECT_LE(child<QLabel>(main(), "lblDesc")->geometry().right(),
                  asked.width() - ui::twips(90));
    }
    // A window wide enough shows the whole description.
    main().resize(1200, 578);
    QApplication::processEvents();
    EXPECT_FALSE(ui::showsEllipsis(*child<QLabel>(main(), "lblDesc")));
    // Smaller than its content, it scrolls, so that every control can be
    // reached.
    main().resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(main().size(), QSize(300, 200));
    auto* pane = child<QScrollArea>(main(), "paneScroll");
    EXPECT_GT(pane->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(listing().geometry().topLeft(), twipsRect(75, 4050, 11340, 4155).topLeft());
}

TEST_F(MainWindowTest, ChoosesAGroupAndStepsThroughItsProjects) {
    const fs::path group = writeGroup();
    main().show();

    // Before any choice "<" and ">" do nothing.
    child<QPushButton>(main(), "sbt10")->click();
    child<QPushButton>(main(), "sbt11")->click();
    EXPECT_EQ(counter(), QStringLiteral("  0/0"));
    EXPECT_EQ(rowCount(listing()), 0);

    choose(group);
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));
    EXPECT_EQ(box(0), QStringLiteral("One"));
    EXPECT_EQ(box(1), QStringLiteral("1.2.3"));
    EXPECT_EQ(box(3), QStringLiteral("First of two"));
    EXPECT_EQ(box(5), QStringLiteral("Corner Shop"));
    EXPECT_EQ(rowCount(listing()), 3);
    const QString summary = child<QLabel>(main(), "lblT")->text();
    EXPECT_TRUE(summary.startsWith("Total: ")) << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(" code lines in 3 modules (same order as above)."));
    // The label grows with its text.
    EXPECT_GE(child<QLabel>(main(), "lblT")->width(),
              child<QLabel>(main(), "lblT")->sizeHint().width());
    // The calculation was recorded, and the busy cursor is gone again.
    EXPECT_TRUE(fs::is_regular_file(work / "verhis" / "One" / "1.2.3"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    child<QPushButton>(main(), "sbt11")->click();
    EXPECT_EQ(counter(), QStringLiteral("  2/2"));
    EXPECT_EQ(box(0), QStringLiteral("Two"));
    EXPECT_EQ(box(3), QString());
    EXPECT_EQ(rowCount(listing()), 1);
    child<QPushButton>(main(), "sbt11")->click();  // at the end: nothing
    EXPECT_EQ(counter(), QStringLiteral("  2/2"));
    EXPECT_TRUE(fs::is_regular_file(work / "verhis" / "Two" / "0.0.1"));

    child<QPushButton>(main(), "sbt10")->click();
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));
    EXPECT_EQ(box(0), QStringLiteral("One"));
    child<QPushButton>(main(), "sbt10")->click();  // at the start: nothing
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));

    // A cancelled choice changes nothing.
    {
        ModalDriver driver;
        driver.on<QFileDialog>(rejectLater);
        child<QPushButton>(main(), "sbt0")->click();
    }
    EXPECT_EQ(counter(), QStringLiteral("  1/2"));
    EXPECT_EQ(rowCount(listing()), 3);
}

TEST_F(MainWindowTest, ACalculationThatCannotBeRecordedIsShownAndTold) {
    const fs::path group = writeGroup();
    main().show();
    fs::remove_all(work / "verhis");  // the history is never made anew

    choose(group);
    EXPECT_EQ(rowCount(listing()), 3);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"w:The version history of this calculation could not be "
                                        "recorded in \"" +
                                        (work / "verhis").string() + "\"."}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// While it lives, no file of the process can grow past a few bytes, as on
// a full disk.
class FileSizeLimit {
public:
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{16, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

// A project file whose working copy cannot be written is not calculated
// from what an earlier copy left: the user is told, and nothing is recorded.
TEST_F(MainWindowTest, AProjectThatCannotBeCopiedIsToldAndNotRecorded) {
    const fs::path group = writeGroup();
    main().show();
    choose(group);
    ASSERT_EQ(box(0), QStringLiteral("One"));
    projects.write("Shop/One/One.vbp", "Type=Exe\r\nName=\"Changed\"\r\n");
    const auto told = [&](const std::string& project) {
        return "w:The project file \"" + project +
               "\" could not be copied to the working folder \"" +
               (work / "tempprjfiles").string() + "\" (File too large), so it was not calculated.";
    };
    {
        const FileSizeLimit full;
        choose(group);
        EXPECT_EQ(rowCount(listing()), 0);
        EXPECT_EQ(box(0), QString());
        EXPECT_EQ(messages.shown, std::vector<std::string>{told("One\\One.vbp")});
        child<QPushButton>(main(), "sbt11")->click();
    }
    EXPECT_EQ(counter(), QStringLiteral("  2/2"));
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{told("One\\One.vbp"), told("Two\\Two.vbp")}));
    EXPECT_FALSE(fs::exists(work / "verhis/Changed"));
}

TEST_F(MainWindowTest, HeaderClicksFlipTheOrderWhateverTheColumn) {
    choose(writeGroup());
    main().show();
    const int all = 3, pure = 2;

    // First column ascending before any click; "A" then sorts descending.
    EXPECT_TRUE(isSorted(columnTexts(listing(), 0), false));
    clickHeader(all);
    const QStringList descending = columnTexts(listing(), all);
    EXPECT_TRUE(isSorted(descending, true, true)) << descending.join(' ').toStdString();
    EXPECT_EQ(listing().header()->sortIndicatorSection(), all);
    EXPECT_EQ(listing().header()->sortIndicatorOrder(), Qt::DescendingOrder);

    clickHeader(all);
    const QStringList ascending = columnTexts(listing(), all);
    EXPECT_TRUE(isSorted(ascending, false, true));
    // Numbers sort by value: a one-digit count before a two-digit one, which
    // their texts would order the other way.
    EXPECT_FALSE(isSorted(ascending, false)) << ascending.join(' ').toStdString();

    // Another column does not start again from ascending: the order flips.
    clickHeader(pure);
    EXPECT_TRUE(isSorted(columnTexts(listing(), pure), true, true));
    EXPECT_EQ(listing().header()->sortIndicatorOrder(), Qt::DescendingOrder);

    // The choice stays in force for later calculations.
    child<QPushButton>(main(), "sbt11")->click();
    child<QPushButton>(main(), "sbt10")->click();
    EXPECT_TRUE(isSorted(columnTexts(listing(), pure), true, true));
    EXPECT_EQ(listing().header()->sortIndicatorSection(), pure);
    // The columns keep their widths through every new listing.
    EXPECT_EQ(listing().header()->sectionSize(0), ui::twips(1900));
}

TEST_F(MainWindowTest, KeysNeedTheirExactModifierState) {
    showAndActivate();
    ModalDriver guard;  // rejects, and fails on, any window nobody expects
    for (const auto modifiers :
         {Qt::ControlModifier | Qt::ShiftModifier, Qt::ControlModifier | Qt::AltModifier,
          Qt::AltModifier | Qt::ShiftModifier, Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::NoModifier)}) {
        for (const auto key : {Qt::Key_O, Qt::Key_C, Qt::Key_H, Qt::Key_S, Qt::Key_M})
            QTest::keyClick(&main(), key, modifiers);
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(waitForOpenedAddresses(1, std::chrono::milliseconds(300)).empty());

    // Alt+O exports (here: nothing to export), also from a property box.
    QTest::keyClick(&main(), Qt::Key_O, Qt::AltModifier);
    QTest::keyClick(child<QLineEdit>(main(), "txt4"), Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(messages.shown, (std::vector<std::string>(2,
                                                        "i:No available record for this "
                                                        "command.")));
}

TEST_F(MainWindowTest, KeysOpenTheDialogsAndPages) {
    showAndActivate();
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_O, Qt::ControlModifier}, std::pair{Qt::Key_C, Qt::AltModifier}}) {
        ModalDriver driver;
        driver.on<QFileDialog>(rejectLater);
        QTest::keyClick(&main(), key, modifiers);
        EXPECT_TRUE(driver.done());
    }
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_H, Qt::ControlModifier}, std::pair{Qt::Key_S, Qt::AltModifier}}) {
        ModalDriver driver;
        driver.on<ui::HistoryWindow>(rejectLater);
        QTest::keyClick(child<QTreeView>(main(), "lsv"), key, modifiers);
        EXPECT_TRUE(driver.done());
    }
    QTest::keyClick(&main(), Qt::Key_M, Qt::AltModifier);
    QTest::keyClick(&main(), Qt::Key_F1);
    QTest::keyClick(&main(), Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(waitForOpenedAddresses(3),
              sortedTexts(
                  {ui::links::donationPage(), ui::links::productPage(), ui::links::productPage()}));
}

TEST_F(MainWindowTest, HistoryWindowIsModalAndLoadedAnewEachTime) {
    main().show();
    {
        ModalDriver driver;
        driver.on<ui::HistoryWindow>([&](ui::HistoryWindow* history) {
            EXPECT_EQ(history->objectName(), QStringLiteral("frmPubHis"));
            EXPECT_TRUE(history->isModal());
            EXPECT_EQ(history->windowModality(), Qt::ApplicationModal);
            EXPECT_EQ(child<QComboBox>(*history, "cbb0")->count(), 0);
            return rejectLater(history);
        });
        child<QPushButton>(main(), "sbt1")->click();
    }
    // A record written meanwhile shows on the next opening.
    history::VersionHistory(work / "verhis").save("Billing", "1.0", {}, "Total: x");
    {
        ModalDriver driver;
        driver.on<ui::HistoryWindow>([&](ui::HistoryWindow* history) {
            EXPECT_EQ(child<QComboBox>(*history, "cbb0")->currentText(), QStringLiteral("Billing"));
            return rejectLater(history);
        });
        child<QPushButton>(main(), "sbt1")->click();
    }
    // "H" with no history window open exports nothing.
    main().upsOutput("H");
    main().upsOutput("X");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, PropertyBoxSelectsItsWholeTextOnFocus) {
    choose(writeGroup());
    showAndActivate();
    auto* description = child<QLineEdit>(main(), "txt3");
    QTest::mouseClick(description, Qt::LeftButton, {}, QPoint(20, description->height() / 2));
    processEventsFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(description->hasFocus());
    EXPECT_EQ(description->selectedText(), QStringLiteral("First of two"));

    // By the Tab key, from the box before.
    auto* name = child<QLineEdit>(main(), "txt0");
    child<QTreeView>(main(), "lsv")->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), name);
    EXPECT_EQ(name->selectedText(), QStringLiteral("One"));
}

TEST_F(MainWindowTest, TabOrderFollowsTheDesign) {
    showAndActivate();
    const char* order[] = {"sbt0", "sbt1", "lsv",  "txt0",  "txt1",  "txt2", "txt3", "txt4",
                           "txt5", "txt6", "txt7", "sbt10", "sbt11", "sbt7", "sbt2", "sbt3"};
    child<QWidget>(main(), order[0])->setFocus(Qt::TabFocusReason);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), child<QWidget>(main(), order[i])) << order[i];
    }
}

TEST_F(MainWindowTest, HelpMenuPopsUpAtTheHelpButtonsCorner) {
    main().show();
    child<QPushButton>(main(), "sbt2")->click();
    auto* menu = child<QMenu>(main(), "menh");
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(main().helpMenuPoint(), main().mapToGlobal(QPoint(9960 / 15, 900 / 15)));
    menu->hide();

    QStringList entries;
    for (QAction* action : menu->actions())
        entries.append(action->objectName() + "=" + action->text().section('\t', 0, 0));
    EXPECT_EQ(entries, (QStringList{"menhh=&Homepage", "menhv=&View All Our Freeware", "menhsa=",
                                    "menhr=&Recommend to Friends", "menha=&About Tallyvex"}));
    EXPECT_TRUE(menu->actions()[2]->isSeparator());

    child<QAction>(main(), "menhh")->trigger();
    child<QAction>(main(), "menhv")->trigger();
    child<QAction>(main(), "menhr")->trigger();
    child<QPushButton>(main(), "sbt3")->click();
    EXPECT_EQ(waitForOpenedAddresses(4),
              sortedTexts({ui::links::productPage(), ui::links::freeProgramsPage(),
                           ui::links::recommendationMail(), ui::links::donationPage()}));
    EXPECT_TRUE(ui::links::recommendationMail().starts_with(
        "mailto:?subject=Recommend 100%25 FREE software - Tallyvex"));

    ModalDriver driver;
    driver.on<ui::AboutWindow>([](ui::AboutWindow* about) {
        EXPECT_TRUE(about->isModal());
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About Tallyvex"));
        return rejectLater(about);
    });
    child<QAction>(main(), "menha")->trigger();
}

TEST_F(MainWindowTest, ExportsTheListingThroughTheSaveDialog) {
    choose(writeGroup());
    main().show();
    const fs::path out = projects / "out" / "listing.csv";
    fs::create_directories(out.parent_path());
    const std::string today = history::defaultExportName("One", "1.2.3", history::localToday());
    {
        ModalDriver driver;
        driver.on<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Output Listing As"));
            EXPECT_EQ(proposedName(dialog).toStdString(), today);
            return typeAndConfirm(dialog, QString::fromStdString(out.string()));
        });
        child<QPushButton>(main(), "sbt7")->click();
    }
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"i:Outputted listing successfully."}));
    const std::string written = TempDir::read(out);
    EXPECT_TRUE(written.starts_with("Module File,Type,P,A,C,B,")) << written;
    // Header, three rows in the order shown, and the total line.
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 5) << written;
    const QStringList shown = columnTexts(listing(), 0);
    EXPECT_LT(written.find(shown[0].toStdString()), written.find(shown[1].toStdString()));
}

TEST_F(MainWindowTest, WithoutTheLibraryItsOperationsDoNothing) {
    TempDir noModule;
    EnvironmentGuard elsewhere("TLVX_COMPONENT_DIR", noModule.path().string());
    TempDir otherWork;
    ui::MainWindow bare(ui::MainWindowSetup{otherWork.path(), &messages});
    EXPECT_FALSE(bare.hasLibrary());
    EXPECT_TRUE(fs::is_directory(otherWork / "verhis"));
    bare.show();
    ModalDriver guard;  // no dialog may come up
    child<QPushButton>(bare, "sbt0")->click();
    child<QPushButton>(bare, "sbt11")->click();
    child<QPushButton>(bare, "sbt3")->click();
    QTest::keyClick(&bare, Qt::Key_F1);
    EXPECT_EQ(child<QLineEdit>(bare, "txtCount")->text(), QStringLiteral("  0/0"));
    EXPECT_TRUE(waitForOpenedAddresses(1, std::chrono::milliseconds(300)).empty());
}

TEST_F(MainWindowTest, AChosenFileThatIsNoProjectIsToldAndChangesNothing) {
    main().show();
    choose(writeGroup());
    const QStringList shown = columnTexts(listing(), 0);
    ASSERT_EQ(shown.size(), 3);
    const auto recorded = [this] {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(work / "verhis"))
            names.push_back(fs::relative(entry.path(), work / "verhis").string());
        std::ranges::sort(names);
        return names;
    };
    const auto before = recorded();
    // A renamed text file and an empty file.
    for (const auto& [name, text] :
         {std::pair{"Letter.vbp", "Dear reader,\r\nhello.\r\n"}, std::pair{"Empty.vbp", ""}}) {
        SCOPED_TRACE(name);
        messages.shown.clear();
        const fs::path file = projects.write(name, text);
        choose(file);
        EXPECT_EQ(messages.shown,
                  std::vector<std::string>{"i:\"" + file.string() +
                                           "\" is not a VB6 project (it has no \"Type=\" line "
                                           "and names no module), so it was not calculated."});
        EXPECT_EQ(columnTexts(listing(), 0), shown);
        EXPECT_EQ(counter(), QStringLiteral("  1/2"));
        EXPECT_EQ(box(0), QStringLiteral("One"));
        EXPECT_EQ(recorded(), before);
    }
    // The group goes on as before.
    child<QPushButton>(main(), "sbt11")->click();
    EXPECT_EQ(box(0), QStringLiteral("Two"));
}

TEST_F(MainWindowTest, MovedWorkFoldersAreToldOnceAtStart) {
    TempDir otherWork;
    ScriptedMessages told;
    ui::MainWindow moved(ui::MainWindowSetup{otherWork.path(), &told, true});
    moved.show();
    processEventsFor(std::chrono::milliseconds(50));
    const std::string message =
        "i:The program's folder cannot be written, so the version history "
        "now lies in \"" +
        (otherWork / "verhis").string() + "\".";
    EXPECT_EQ(told.shown, std::vector<std::string>{message});
    processEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(told.shown.size(), 1u);

    ModalDriver driver;
    driver.on<ui::AboutWindow>([&](ui::AboutWindow* about) {
        EXPECT_EQ(child<QLabel>(*about, "lblHistory")->text(),
                  QString::fromStdString("Version history: " + (otherWork / "verhis").string()));
        return rejectLater(about);
    });
    child<QAction>(moved, "menha")->trigger();
    EXPECT_TRUE(driver.done());

    // In its own folder, the program says nothing.
    main().show();
    processEventsFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, AnAddressNoDesktopProgramOpensIsTold) {
    main().show();
    TempDir nothing;
    {
        // No xdg-open anywhere.
        EnvironmentGuard noHandler("PATH", nothing.path().string());
        child<QPushButton>(main(), "sbt3")->click();
    }
    {
        // One that cannot start: its interpreter is missing.
        const auto broken = nothing.write("xdg-open", "#!/nonexistent/interpreter\n");
        fs::permissions(broken, fs::perms::owner_all);
        EnvironmentGuard brokenHandler("PATH", nothing.path().string());
        child<QAction>(main(), "menhr")->trigger();
    }
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{
                  "w:" + ui::links::noHandlerMessage(ui::links::donationPage()),
                  "w:" + ui::links::noHandlerMessage(ui::links::recommendationMail())}));
    EXPECT_NE(messages.shown[0].find("\"" + ui::links::donationPage() + "\""), std::string::npos);
    // With the desktop's opener there, nothing is said.
    messages.shown.clear();
    QTest::keyClick(&main(), Qt::Key_F1);
    EXPECT_EQ(waitForOpenedAddresses(1), std::vector<std::string>{ui::links::productPage()});
    EXPECT_TRUE(messages.shown.empty());
}

TEST(WebLinks, TheRecommendationMailNamesThePublicHomeWithoutFragment) {
    const std::string mail = ui::links::recommendationMail();
    const std::string home = ui::links::kPublicHome;
    EXPECT_TRUE(home.starts_with("https://"));
    EXPECT_NE(mail.find("Official website: " + home +
                        "%0ADirect download URL: " + ui::links::downloadAddress()),
              std::string::npos);
    EXPECT_TRUE(mail.ends_with(ui::links::downloadAddress()));
    EXPECT_EQ(mail.find("file:"), std::string::npos);
    EXPECT_EQ(mail.find('#'), std::string::npos);  // a mail client cuts there
}

TEST_F(MainWindowTest, CaptionAndTipFilesBesideTheProgramRelabelIt) {
    TempDir texts;
    texts.write("menus.dll",
                "[frmPubMain]\r\nmenhh=&Startseite\tF1\r\nmenha=\r\nsbt(0)=not a menu\r\n");
    // INI text is in code page 1252.
    texts.write("tips.dll", "[frmPubMain]\r\nsbt(0)=W\xE4hlt ein Projekt\r\ntxt(1)=Version\r\n");
    TempDir otherWork;
    ui::MainWindow relabelled(
        ui::MainWindowSetup{otherWork.path(), &messages, false, texts.path()});
    EXPECT_EQ(child<QAction>(relabelled, "menhh")->text(), QStringLiteral("&Startseite\tF1"));
    // An empty caption keeps the entry's own.
    EXPECT_EQ(child<QAction>(relabelled, "menha")->text(), QStringLiteral("&About Tallyvex"));
    EXPECT_EQ(child<QPushButton>(relabelled, "sbt0")->text(),
              child<QPushButton>(main(), "sbt0")->text());
    // The tips file gives every tip: the "<" button it does not name loses
    // its tip.
    EXPECT_EQ(child<QPushButton>(relabelled, "sbt0")->toolTip(),
              QString::fromUtf8("W\xC3\xA4hlt ein Projekt"));
    EXPECT_EQ(child<QLineEdit>(relabelled, "txt1")->toolTip(), QStringLiteral("Version"));
    EXPECT_EQ(child<QPushButton>(relabelled, "sbt10")->toolTip(), QString());
    EXPECT_FALSE(child<QPushButton>(main(), "sbt10")->toolTip().isEmpty());
}

TEST_F(MainWindowTest, WithoutCaptionAndTipFilesTheTextsStay) {
    TempDir empty;
    empty.write("tips.dll.txt", "[frmPubMain]\r\nsbt0=\r\n");
    TempDir otherWork;
    ui::MainWindow plain(ui::MainWindowSetup{otherWork.path(), &messages, false, empty.path()});
    for (const char* name : {"sbt0", "sbt1", "sbt10"}) {
        EXPECT_EQ(child<QPushButton>(plain, name)->toolTip(),
                  child<QPushButton>(main(), name)->toolTip());
    }
    EXPECT_EQ(child<QAction>(plain, "menhh")->text(), child<QAction>(main(), "menhh")->text());
}

}  // namespace
}  // namespace tlvx::test
