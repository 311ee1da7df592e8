// What a desktop user does with the windows beyond the designed controls:
// selecting and copying rows, reading why a position is empty, reading the
// headers' and the Invalid rows' tool tips, and learning of an address no
// program opened.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <string>
#include <vector>

#include "program/history/listing_text.h"
#include "program/ui/history_window.h"
#include "program/ui/listing_view.h"
#include "program/ui/web_links.h"
#include "tests/support/environment_guard.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;

class WindowUseTest : public WindowTest {
protected:
    void choose(const fs::path& file) {
        ModalDriver driver;
        driver.on<QFileDialog>([&](QFileDialog* dialog) {
            return typeAndConfirm(dialog, QString::fromStdString(file.string()));
        });
        child<QPushButton>(main(), "sbt0")->click();
    }

    ui::ListingView& listing() { return *child<ui::ListingView>(main(), "lsv"); }

    void clickHeader(int section) {
        QHeaderView* header = listing().header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                   header->height() / 2));
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect place = listing().visualRect(listing().model()->index(row, 0));
        QTest::mouseClick(listing().viewport(), Qt::LeftButton, modifiers, place.center());
    }

    // The rows the view shows, as the clipboard should carry them.
    std::string expectedCopy(const std::vector<int>& rows) {
        std::string text = history::headerLine(history::FieldSeparator::Tab) + "\n";
        for (const int row : rows) {
            QStringList fields;
            for (int c = 0; c < 12; ++c)
                fields.append(listing().model()->index(row, c).data().toString());
            text += fields.join(u'\t').toStdString() + "\n";
        }
        return text;
    }

    // "One" with a module that is not there besides the three that are.
    fs::path writeProjectWithAMissingModule() {
        projects.write("One/One.vbp",
                       "Type=Exe\r\nModule=mdlA; mdlA.bas\r\nModule=mdlB; mdlB.bas\r\n"
                       "Module=mdlGone; Old\\mdlGone.bas\r\nModule=mdlC; mdlC.bas\r\n"
                       "Name=\"One\"\r\n");
        projects.write("One/mdlA.bas", module("mdlA", 9));
        projects.write("One/mdlB.bas", module("mdlB", 10));
        projects.write("One/mdlC.bas", module("mdlC", 100));
        return projects / "One/One.vbp";
    }
};

TEST_F(WindowUseTest, NumberColumnsSortByValueWithInvalidRowsAfterTheNumbers) {
    choose(writeProjectWithAMissingModule());
    main().show();
    ASSERT_EQ(rowCount(listing()), 4);
    for (const int column : {2, 3, 8, 11}) {
        SCOPED_TRACE(column);
        // The order flips on every click, whichever the column before.
        const bool descending = listing().header()->sortIndicatorOrder() == Qt::AscendingOrder;
        clickHeader(column);
        const QStringList texts = columnTexts(listing(), column);
        ASSERT_EQ(texts.size(), 4);
        // The Invalid row's empty cell after every number ascending, before
        // them descending.
        EXPECT_EQ(texts.indexOf(QString()), descending ? 0 : 3) << texts.join(',').toStdString();
        QList<long long> numbers;
        for (const QString& text : texts)
            if (!text.isEmpty()) numbers.append(text.toLongLong());
        QList<long long> ordered = numbers;
        std::sort(ordered.begin(), ordered.end());
        if (descending) std::reverse(ordered.begin(), ordered.end());
        EXPECT_EQ(numbers, ordered) << texts.join(',').toStdString();
    }
}

TEST_F(WindowUseTest, SelectedRowsAreCopiedWithTheHeaderAsTabSeparatedText) {
    choose(writeGroup());
    main().show();
    main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    ASSERT_EQ(rowCount(listing()), 3);
    QGuiApplication::clipboard()->clear();

    // Ctrl+A, then Ctrl+C: the header and every row.
    listing().setFocus();
    QTest::keyClick(&listing(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(listing().selectionModel()->selectedRows().size(), 3);
    QTest::keyClick(&listing(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), expectedCopy({0, 1, 2}));
    EXPECT_TRUE(messages.shown.empty());

    // A click and a Ctrl+click choose two rows; the context menu's Copy
    // copies them in the order shown.
    clickRow(2);
    clickRow(0, Qt::ControlModifier);
    EXPECT_EQ(listing().selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(listing().contextMenuPolicy(), Qt::ActionsContextMenu);
    child<QAction>(listing(), "copyRows")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), expectedCopy({0, 2}));
    // Shift+click extends from the current row.
    clickRow(1);
    clickRow(2, Qt::ShiftModifier);
    EXPECT_EQ(listing().selectedRowsText().toStdString(), expectedCopy({1, 2}));

    // Nothing selected: the clipboard keeps what it had.
    listing().clearSelection();
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    child<QAction>(listing(), "copyRows")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));

    // Ctrl+C is no key of the window's own: no choosing, no message.
    EXPECT_TRUE(messages.shown.empty());
    // The summary can be selected with the mouse.
    auto* summary = child<QLabel>(main(), "lblT");
    EXPECT_TRUE(summary->textInteractionFlags() & Qt::TextSelectableByMouse);
}

TEST_F(WindowUseTest, TheHistoryWindowCopiesItsRowsToo) {
    history::VersionHistory records(work / "verhis");
    ASSERT_TRUE(
        records.save("Billing", "1.0.0",
                     {{"b.bas", "Module", "12", "14", "0", "2", "12", "10", "10", "14", "12", "12"},
                      {"gone.frm", "Invalid"}},
                     "no summary"));
    ui::HistoryWindow shown(main());
    shown.show();
    auto& list = *child<ui::ListingView>(shown, "lsv");
    ASSERT_EQ(rowCount(list), 2);
    list.selectAll();
    EXPECT_EQ(list.selectedRowsText().toStdString(),
              history::headerLine(history::FieldSeparator::Tab) +
                  "\nb.bas\tModule\t12\t14\t0\t2\t12\t10\t10\t14\t12\t12\n"
                  "gone.frm\tInvalid\t\t\t\t\t\t\t\t\t\t\n");
    EXPECT_TRUE(child<QLabel>(shown, "lblT")->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
    // A long module path loses its middle, not its file name.
    EXPECT_EQ(list.textElideMode(), Qt::ElideMiddle);
}

// Scrolled sideways, the history window still shows which module each row
// counts; a click there selects the row as in the listing itself.
TEST_F(WindowUseTest, TheHistoryWindowKeepsTheModuleFileInView) {
    history::VersionHistory records(work / "verhis");
    std::vector<analysis::ListingRow> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back({"Forms\\frm" + std::to_string(i) + ".frm", "Form", "1", "2", "0", "1", "1",
                        "0", "0", "2", "1", "1"});
    ASSERT_TRUE(records.save("Billing", "1.0.0", rows, "no summary"));
    ui::HistoryWindow shown(main());
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    auto& list = *child<ui::ListingView>(shown, "lsv");
    ASSERT_TRUE(list.firstColumnKeptInView());
    auto* kept = list.findChild<QTreeView*>();
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->isVisible());
    EXPECT_EQ(kept->columnWidth(0), list.columnWidth(0));
    EXPECT_EQ(kept->x(), list.frameWidth());
    EXPECT_LE(kept->geometry().bottom(), list.viewport()->geometry().bottom());
    for (int c = 1; c < 12; ++c) EXPECT_TRUE(kept->isColumnHidden(c)) << c;

    list.horizontalScrollBar()->setValue(list.horizontalScrollBar()->maximum());
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_GT(list.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(kept->verticalScrollBar()->value(), list.verticalScrollBar()->value());
    // The last row is in view in both, on one line.
    const QModelIndex last = list.model()->index(39, 0);
    EXPECT_EQ(kept->visualRect(last).y(), list.visualRect(last).y());
    QTest::mouseClick(kept->viewport(), Qt::LeftButton, {}, kept->visualRect(last).center());
    ASSERT_EQ(list.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.selectionModel()->selectedRows()[0].row(), 39);
    // Its header sorts as the listing's does.
    QTest::mouseClick(kept->header()->viewport(), Qt::LeftButton, {},
                      QPoint(10, kept->header()->height() / 2));
    EXPECT_EQ(list.header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(kept->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(list.model()->index(0, 0).data().toString(), QStringLiteral("Forms\\frm9.frm"));
}

TEST_F(WindowUseTest, HeadersAndInvalidRowsExplainThemselves) {
    choose(writeProjectWithAMissingModule());
    const QAbstractItemModel& model = *listing().model();
    QStringList tips;
    for (int c = 0; c < 12; ++c) {
        const QString tip = model.headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
        const QString header = model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_FALSE(tip.isEmpty()) << c;
        if (c >= 2) {
            EXPECT_TRUE(tip.startsWith(header + ":")) << tip.toStdString();
        }
        tips.append(tip);
    }
    tips.removeDuplicates();
    EXPECT_EQ(tips.size(), 12);

    // Every sorted header keeps its text readable beside the sort arrow, and
    // "UserDocument" fits the Type column.
    QHeaderView* header = listing().header();
    for (int c = 0; c < 12; ++c) {
        listing().header()->setSortIndicator(c, Qt::DescendingOrder);
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << c;
    }
    EXPECT_GE(header->sectionSize(1),
              listing().fontMetrics().horizontalAdvance(QStringLiteral("UserDocument")));

    for (int row = 0; row < model.rowCount(); ++row) {
        const QString file = model.index(row, 0).data().toString();
        const QString tip = model.index(row, 5).data(Qt::ToolTipRole).toString();
        if (model.index(row, 1).data().toString() == QStringLiteral("Invalid")) {
            EXPECT_EQ(file, QStringLiteral("Old\\mdlGone.bas"));
            EXPECT_EQ(tip, QStringLiteral("Module file not found: Old\\mdlGone.bas"));
        } else {
            EXPECT_EQ(tip, model.index(row, 5).data().toString());
        }
    }
}

TEST_F(WindowUseTest, AnEmptyPositionSaysWhy) {
    writeGroup();
    const fs::path group = projects.write(
        "Shop/Gaps.vbg", "VBGROUP 5.0\r\nProject=One\\One.vbp\r\nProject=Gone\\Gone.vbp\r\n\r\n");
    choose(group);
    main().show();
    auto* counter = child<QLineEdit>(main(), "txtCount");
    auto* summary = child<QLabel>(main(), "lblT");
    EXPECT_EQ(counter->text(), QStringLiteral("  1/3"));
    EXPECT_TRUE(listing().emptyNote().isEmpty());
    EXPECT_EQ(rowCount(listing()), 3);

    const QString emptySummary = QStringLiteral(
        "Total: 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 / 0 code lines in 0 modules (same order as "
        "above).");
    const struct {
        const char* counter;
        const char* note;
    } steps[] = {
        {"  2/3", "The project file \"Gone\\Gone.vbp\" was not found."},
        {"  3/3", "Position 3: blank line in the group."},
    };
    for (const auto& step : steps) {
        child<QPushButton>(main(), "sbt11")->click();
        EXPECT_EQ(counter->text(), QString::fromLatin1(step.counter));
        EXPECT_EQ(listing().emptyNote(), QString::fromLatin1(step.note));
        // Counter, listing and summary as before; nothing recorded.
        EXPECT_EQ(rowCount(listing()), 0);
        EXPECT_EQ(summary->text(), emptySummary);
        QTest::qWait(1);
        listing().grab();  // paints the note without failing
    }
    EXPECT_TRUE(messages.shown.empty());
    child<QPushButton>(main(), "sbt10")->click();
    child<QPushButton>(main(), "sbt10")->click();
    EXPECT_TRUE(listing().emptyNote().isEmpty());
}

TEST_F(WindowUseTest, AHandOverThatComesToNothingIsToldWithTheAddress) {
    main().show();
    TempDir failing;
    for (const auto& [status, script] :
         {std::pair{3, "#!/bin/sh\nexit 3\n"}, std::pair{4, "#!/bin/sh\nexit 4\n"}}) {
        messages.shown.clear();
        const auto opener = failing.write("xdg-open", script);
        fs::permissions(opener, fs::perms::owner_all);
        EnvironmentGuard onPath("PATH", failing.path().string());
        QTest::keyClick(&main(), Qt::Key_F1);
        const std::string expected =
            "w:" + ui::links::handlerFailedMessage(ui::links::productPage(), status);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 30000));
        EXPECT_EQ(messages.shown, std::vector<std::string>{expected});
        EXPECT_NE(expected.find("\"" + ui::links::productPage() + "\""), std::string::npos);
    }
    // The stand-in that opens the address: nothing is said.
    messages.shown.clear();
    child<QAction>(main(), "menhv")->trigger();
    EXPECT_EQ(waitForOpenedAddresses(1), std::vector<std::string>{ui::links::freeProgramsPage()});
    processEventsFor(std::chrono::milliseconds(500));
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tlvx::test
