// The version history window over records made for each test: the chained
// selectors, the listing and summary, deletion with every answer, records
// that vanish while the window is open, sorting, export and its size.

#include <sys/stat.h>

#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <algorithm>

#include "program/history/history_browser.h"
#include "program/history/listing_export.h"
#include "program/history/version_history.h"
#include "program/ui/history_window.h"
#include "program/ui/window_look.h"
#include "tests/support/unprivileged.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;
using analysis::ListingRow;
using Answer = history::MessageBoxes::Answer;
using ui::twipsRect;

const QString kInitialSummary = QStringLiteral("Total Lines: please choose a project/group first.");
const std::string kSummary1 =
    "Total: 21 / 24 / 2 / 1 / 19 / 20 / 18 / 22 / 23 / 21 code lines in 3 modules (same order as "
    "above).";
const std::string kSummary2 =
    "Total: 5 / 6 / 0 / 1 / 5 / 4 / 4 / 6 / 5 / 5 code lines in 1 modules (same order as above).";
const std::string kNothing = "i:" + std::string(history::kNothingToDelete);
const std::string kAskProject = "q:" + std::string(history::kDeleteProjectQuestion);
const std::string kAskVersion = "q:" + std::string(history::kDeleteVersionQuestion);

ListingRow row(const std::string& file, const std::string& p, const std::string& a) {
    return ListingRow{file, "Module", p, a, "0", "0", p, p, p, a, a, a};
}

class HistoryWindowTest : public WindowTest {
protected:
    // Billing 1.0.0 (three rows), Billing 1.0.1 (one row) and Zeta 9 (a
    // record whose last line is no summary).
    void writeRecords() {
        history.save(
            "Billing", "1.0.0",
            {row("b.bas", "12", "14"), row("a.bas", "9", "9"), row("C:\\VB\\c.bas", "100", "101")},
            kSummary1);
        history.save("Billing", "1.0.1", {row("d.bas", "5", "6")}, kSummary2);
        history.save("Zeta", "9", {row("z.bas", "1", "1")}, "not a summary");
    }

    // The window, open as the main window opens it but without waiting.
    ui::HistoryWindow& open() {
        historyWindow = std::make_unique<ui::HistoryWindow>(main());
        historyWindow->show();
        return *historyWindow;
    }

    QComboBox& selector(int i) {
        return *child<QComboBox>(*historyWindow, i == 0 ? "cbb0" : "cbb1");
    }
    QTreeView& list() { return *child<QTreeView>(*historyWindow, "lsv"); }
    QString summary() { return child<QLabel>(*historyWindow, "lblT")->text(); }
    void click(const char* name) { child<QPushButton>(*historyWindow, name)->click(); }
    QStringList items(int i) {
        QStringList texts;
        for (int k = 0; k < selector(i).count(); ++k) texts.append(selector(i).itemText(k));
        return texts;
    }
    // Selects an entry by its text, as the program would.
    void select(int i, const QString& text) {
        const int index = selector(i).findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        selector(i).setCurrentIndex(index);
    }

    void TearDown() override { historyWindow.reset(); }

    history::VersionHistory history{work / "verhis"};
    std::unique_ptr<ui::HistoryWindow> historyWindow;
};

TEST_F(HistoryWindowTest, ShowsItsControlsAndTakesAnySize) {
    ui::HistoryWindow& shown = open();
    EXPECT_EQ(shown.windowTitle(), QStringLiteral("Version History"));
    EXPECT_EQ(child<QLabel>(shown, "lbl0")->text(), QStringLiteral("Project"));
    EXPECT_EQ(child<QLabel>(shown, "lbl1")->text(), QStringLiteral("Version"));
    // Each selector stands 90 twips right of its label, which is as wide as
    // designed or as its text needs; the version selector is as wide as a
    // version of three 4-digit parts needs; the buttons keep their designed
    // distances to the selectors before them.
    const auto place = [&](const char* name) { return child<QWidget>(shown, name)->geometry(); };
    EXPECT_EQ(place("lbl0").topLeft(), twipsRect(90, 195, 510, 195).topLeft());
    for (const char* name : {"lbl0", "lbl1"}) {
        auto* label = child<QLabel>(shown, name);
        EXPECT_LE(label->sizeHint().width(), label->width()) << name;
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 8.25) << name;
    }
    const QRect projectSelector = selector(0).geometry();
    const QRect versions = selector(1).geometry();
    EXPECT_EQ(projectSelector.left(), place("lbl0").right() + 1 + ui::twips(90));
    EXPECT_EQ(projectSelector.size(), twipsRect(690, 135, 1935, 315).size());
    EXPECT_EQ(place("sbt2").left() - projectSelector.right(),
              ui::twips(2715) - twipsRect(690, 135, 1935, 315).right());
    EXPECT_EQ(place("lbl1").left() - place("sbt2").left(), ui::twips(3105) - ui::twips(2715));
    EXPECT_EQ(versions.left(), place("lbl1").right() + 1 + ui::twips(90));
    EXPECT_GE(versions.width(), twipsRect(3720, 135, 1005, 315).width());
    EXPECT_EQ(versions.width(), ui::widthForText(selector(1), QStringLiteral("9999.9999.9999")))
        << "the selector is " << versions.width() << " wide";
    EXPECT_EQ(place("sbt3").left() - versions.right(),
              ui::twips(4815) - twipsRect(3720, 135, 1005, 315).right());
    EXPECT_LT(place("sbt3").right(), place("sbt0").left());
    EXPECT_FALSE(selector(0).isEditable());
    EXPECT_FALSE(selector(1).isEditable());
    EXPECT_EQ(selector(0).palette().color(QPalette::Text), ui::kDarkGreen);
    EXPECT_EQ(list().palette().color(QPalette::Text), ui::kDarkGreen);

    auto* output = child<QPushButton>(shown, "sbt0");
    EXPECT_EQ(output->text(), QStringLiteral("Output Result Listing"));
    EXPECT_EQ(output->toolTip(), QStringLiteral("Outputs current listing to a txt/csv file."));
    EXPECT_EQ(output->geometry(), twipsRect(9030, 90, 2400, 360));
    auto* project = child<QPushButton>(shown, "sbt2");
    EXPECT_TRUE(project->text().isEmpty());
    EXPECT_FALSE(project->icon().isNull());
    EXPECT_EQ(project->toolTip(),
              QStringLiteral("Deletes all version history of selected project."));
    auto* version = child<QPushButton>(shown, "sbt3");
    EXPECT_EQ(version->toolTip(),
              QStringLiteral("Deletes version history of selected version under current project."));
    EXPECT_EQ(shown.findChild<QWidget*>("sbt1"), nullptr);

    EXPECT_EQ(list().geometry(), twipsRect(90, 585, 11340, 4155));
    const int widths[] = {3351, 2293, 1288, 1288, 1288, 1288, 1288, 1288, 1512, 1288, 1288, 1512};
    for (int c = 0; c < 12; ++c) EXPECT_EQ(list().header()->sectionSize(c), ui::twips(widths[c]));

    // It opens with the designed client area, 90 twips right of the list
    // and below the summary; the list takes what the window gains or loses.
    const QSize designed(768, 341);
    EXPECT_EQ(shown.size(), designed);
    const QRect summary = child<QLabel>(shown, "lblT")->geometry();
    for (const QSize asked : {QSize(1400, 800), QSize(900, 341), QSize(768, 341)}) {
        shown.resize(asked);
        QApplication::processEvents();
        EXPECT_EQ(shown.size(), asked);
        const QSize gained = asked - designed;
        EXPECT_EQ(list().geometry(),
                  twipsRect(90, 585, 11340, 4155).adjusted(0, 0, gained.width(), gained.height()));
        EXPECT_EQ(child<QLabel>(shown, "lblT")->y(), summary.y() + gained.height());
        EXPECT_EQ(child<QPushButton>(shown, "sbt0")->geometry(), twipsRect(9030, 90, 2400, 360));
    }
    // Wide enough, it shows all twelve columns.
    shown.resize(1400, 500);
    QApplication::processEvents();
    EXPECT_LE(list().header()->length(), list().viewport()->width());
    // Smaller than its content, it scrolls: every control can be reached.
    shown.resize(300, 150);
    QApplication::processEvents();
    auto* pane = child<QScrollArea>(shown, "paneScroll");
    EXPECT_GT(pane->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    pane->ensureWidgetVisible(child<QLabel>(shown, "lblT"));
    pane->ensureWidgetVisible(child<QPushButton>(shown, "sbt0"));
}

TEST_F(HistoryWindowTest, WithoutHistoryEverythingIsEmptyAndNothingCanBeDeleted) {
    open();
    EXPECT_EQ(selector(0).count(), 0);
    EXPECT_EQ(selector(1).count(), 0);
    EXPECT_EQ(rowCount(list()), 0);
    EXPECT_EQ(summary(), kInitialSummary);
    click("sbt2");
    click("sbt3");
    EXPECT_EQ(messages.shown, (std::vector<std::string>{kNothing, kNothing}));
}

TEST_F(HistoryWindowTest, SelectorsChainProjectsVersionsAndRecord) {
    writeRecords();
    open();
    EXPECT_EQ(selector(0).count(), 2);
    EXPECT_EQ(selector(0).currentIndex(), 0);

    // A selection by the program loads what depends on it.
    select(0, "Billing");
    QStringList versions = items(1);
    versions.sort();
    EXPECT_EQ(versions, (QStringList{"1.0.0", "1.0.1"}));
    EXPECT_EQ(selector(1).currentIndex(), 0);
    select(0, "Zeta");
    EXPECT_EQ(items(1), QStringList{"9"});
    EXPECT_EQ(rowCount(list()), 1);
    EXPECT_EQ(summary(), QString());  // its last line is no summary

    select(0, "Billing");
    select(1, "1.0.0");
    EXPECT_EQ(rowCount(list()), 3);
    EXPECT_EQ(summary().toStdString(), kSummary1);
    // A module path with a drive letter is shown whole.
    EXPECT_TRUE(columnTexts(list(), 0).contains("C:\\VB\\c.bas"));
    select(1, "1.0.1");
    EXPECT_EQ(columnTexts(list(), 0), QStringList{"d.bas"});
    EXPECT_EQ(summary().toStdString(), kSummary2);

    // And so does a selection by the user, with the keyboard.
    const int before = selector(0).currentIndex();
    QTest::keyClick(&selector(0), before == 0 ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_NE(selector(0).currentIndex(), before);
    EXPECT_EQ(items(1).size(), selector(0).currentText() == "Zeta" ? 1 : 2);
}

TEST_F(HistoryWindowTest, DeletesAVersionOnlyWhenTheAnswerIsYes) {
    writeRecords();
    open();
    select(0, "Billing");
    select(1, "1.0.0");
    const fs::path record = work / "verhis" / "Billing" / "1.0.0";

    messages.answers = {Answer::No, Answer::Cancel};
    click("sbt3");
    click("sbt3");
    EXPECT_TRUE(fs::exists(record));
    EXPECT_EQ(items(1).size(), 2);
    EXPECT_EQ(rowCount(list()), 3);

    messages.answers = {Answer::Yes};
    click("sbt3");
    EXPECT_EQ(messages.shown, (std::vector<std::string>{kAskVersion, kAskVersion, kAskVersion}));
    EXPECT_FALSE(fs::exists(record));
    EXPECT_EQ(items(1), QStringList{"1.0.1"});
    EXPECT_EQ(selector(1).currentIndex(), 0);
    EXPECT_EQ(columnTexts(list(), 0), QStringList{"d.bas"});
    EXPECT_EQ(summary().toStdString(), kSummary2);

    // The last version goes; the project stays, with nothing to show.
    click("sbt3");
    EXPECT_EQ(items(1), QStringList());
    EXPECT_EQ(rowCount(list()), 0);
    EXPECT_EQ(summary(), QString());
    EXPECT_EQ(selector(0).currentText(), QStringLiteral("Billing"));
    EXPECT_TRUE(fs::is_directory(work / "verhis" / "Billing"));
    messages.shown.clear();
    click("sbt3");
    EXPECT_EQ(messages.shown, std::vector<std::string>{kNothing});
}

TEST_F(HistoryWindowTest, DeletesAProjectOnlyWhenTheAnswerIsYes) {
    writeRecords();
    open();
    select(0, "Zeta");
    messages.answers = {Answer::Cancel, Answer::No};
    click("sbt2");
    click("sbt2");
    EXPECT_TRUE(fs::is_directory(work / "verhis" / "Zeta"));
    EXPECT_EQ(items(0).size(), 2);

    messages.answers = {Answer::Yes, Answer::Yes};
    click("sbt2");
    EXPECT_EQ(messages.shown, (std::vector<std::string>{kAskProject, kAskProject, kAskProject}));
    EXPECT_FALSE(fs::exists(work / "verhis" / "Zeta"));
    EXPECT_EQ(items(0), QStringList{"Billing"});
    EXPECT_EQ(items(1).size(), 2);
    EXPECT_EQ(rowCount(list()), columnTexts(list(), 0).contains("d.bas") ? 1 : 3);

    // The last project goes: both selectors and the listing are empty.
    click("sbt2");
    EXPECT_EQ(selector(0).count(), 0);
    EXPECT_EQ(selector(1).count(), 0);
    EXPECT_EQ(rowCount(list()), 0);
    EXPECT_TRUE(fs::is_directory(work / "verhis"));
    messages.shown.clear();
    click("sbt2");
    click("sbt3");
    EXPECT_EQ(messages.shown, (std::vector<std::string>{kNothing, kNothing}));
}

TEST_F(HistoryWindowTest, AProjectInUseStaysAsItWasWithAWarning) {
    writeRecords();
    // A user without privileges can read the history but not delete in it.
    for (const fs::path& p : {work.path(), work / "verhis", work / "verhis" / "Billing"})
        fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    open();
    select(0, "Billing");
    const bool warned = runUnprivileged([&] {
        messages.shown.clear();
        click("sbt2");
        return messages.shown ==
                   std::vector<std::string>{kAskProject,
                                            "w:" + std::string(history::kFilesInUse)} &&
               items(0).size() == 2 && selector(0).currentText() == "Billing" &&
               items(1).size() == 2 && rowCount(list()) > 0;
    });
    EXPECT_TRUE(warned);
}

TEST_F(HistoryWindowTest, ShowsWhatVanishedMeanwhileAsItNowIs) {
    writeRecords();
    open();
    select(0, "Billing");
    select(1, "1.0.1");
    // Another program removes a record, then the whole project.
    fs::remove(work / "verhis" / "Billing" / "1.0.0");
    select(1, "1.0.0");
    EXPECT_EQ(rowCount(list()), 0);
    EXPECT_EQ(summary(), QString());

    fs::remove_all(work / "verhis" / "Zeta");
    select(0, "Zeta");
    EXPECT_EQ(selector(1).count(), 0);
    EXPECT_EQ(rowCount(list()), 0);

    // Deleting what is gone already removes it from the list.
    click("sbt2");
    EXPECT_EQ(items(0), QStringList{"Billing"});
    EXPECT_EQ(std::count(messages.shown.begin(), messages.shown.end(),
                         "w:" + std::string(history::kFilesInUse)),
              0);

    // Even the history folder goes.
    fs::remove_all(work / "verhis");
    click("sbt3");
    click("sbt2");
    EXPECT_EQ(selector(0).count(), 0);
    EXPECT_EQ(rowCount(list()), 0);
}

TEST_F(HistoryWindowTest, HeaderClicksFlipTheOrderOnEveryClick) {
    writeRecords();
    open();
    select(0, "Billing");
    select(1, "1.0.0");
    QHeaderView* header = list().header();
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    const int pure = 2, all = 3;
    // Ascending on the first column before; a click on "P" sorts descending,
    // numbers by their values.
    clickHeader(pure);
    EXPECT_EQ(columnTexts(list(), pure), (QStringList{"100", "12", "9"}));
    clickHeader(pure);
    EXPECT_EQ(columnTexts(list(), pure), (QStringList{"9", "12", "100"}));
    clickHeader(all);  // flips once more: ascending became descending
    EXPECT_EQ(columnTexts(list(), all), (QStringList{"101", "14", "9"}));
    EXPECT_EQ(header->sortIndicatorSection(), all);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // A newly loaded record keeps the column and direction.
    select(1, "1.0.1");
    select(1, "1.0.0");
    EXPECT_EQ(columnTexts(list(), all), (QStringList{"101", "14", "9"}));
}

TEST_F(HistoryWindowTest, ExportsTheShownVersion) {
    writeRecords();
    open();
    select(0, "Billing");
    select(1, "1.0.0");
    const fs::path out = projects / "billing.txt";
    const std::string proposed =
        history::defaultExportName("Billing", "1.0.0", history::localToday());
    {
        ModalDriver driver;
        driver.on<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(proposedName(dialog).toStdString(), proposed);
            return typeAndConfirm(dialog, QString::fromStdString(out.string()));
        });
        click("sbt0");
    }
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"i:Outputted listing successfully."}));
    const std::string written = TempDir::read(out);
    EXPECT_TRUE(written.starts_with("Module File\tType\tP\t")) << written;
    EXPECT_NE(written.find("C:\\VB\\c.bas\tModule\t100\t101"), std::string::npos) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 5) << written;

    // With no version shown there is nothing to export.
    messages.shown.clear();
    messages.answers = {Answer::Yes, Answer::Yes};
    click("sbt3");
    click("sbt3");
    click("sbt0");
    EXPECT_EQ(messages.shown.back(), "i:" + std::string(history::kNothingToExport));
}

}  // namespace
}  // namespace tlvx::test
