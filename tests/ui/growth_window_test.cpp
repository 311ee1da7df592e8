// The growth view over records made for each test: reached from the
// version history window by its button and its key, the table of versions
// in version order with their changes, the chart's lines, the comparison of
// two versions with its choice, filter, sorting and export; and the version
// history window opened on the current calculation.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "program/analysis/summary_line.h"
#include "program/history/version_history.h"
#include "program/ui/growth_chart.h"
#include "program/ui/growth_window.h"
#include "program/ui/history_window.h"
#include "program/ui/window_look.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;
using analysis::ListingRow;

ListingRow row(const std::string& file, int64_t p, int64_t a) {
    ListingRow r{file, "Module"};
    const auto ten = analysis::tenNumbers({p, a, 0, 0});
    for (std::size_t i = 0; i < ten.size(); ++i) r[i + 2] = std::to_string(ten[i]);
    return r;
}

class GrowthWindowTest : public WindowTest {
protected:
    // Billing 1.2.0, 1.9.0 and 1.10.0 (saved out of order): a.bas grows,
    // b.bas comes in 1.9.0, c.bas goes in 1.10.0, d.bas never changes.
    void writeRecords() {
        save("Billing", "1.10.0", {row("a.bas", 30, 40), row("b.bas", 5, 6), row("d.bas", 1, 1)});
        save("Billing", "1.2.0", {row("a.bas", 10, 12), row("d.bas", 1, 1)});
        save("Billing", "1.9.0",
             {row("a.bas", 20, 25), row("b.bas", 5, 6), row("c.bas", 3, 3), row("d.bas", 1, 1)});
        save("Alone", "1.0.0", {row("x.bas", 1, 1)});
    }
    void save(const std::string& project, const std::string& version,
              const std::vector<ListingRow>& rows) {
        analysis::LineTotals totals;
        for (const auto& r : rows) {
            totals.pure += std::stoll(r[2]);
            totals.all += std::stoll(r[3]);
        }
        ASSERT_TRUE(history.save(project, version, rows,
                                 analysis::summaryLine(totals, static_cast<int64_t>(rows.size()))));
    }
    std::unique_ptr<ui::GrowthWindow> growthOf(const std::string& project,
                                               const std::string& version) {
        auto shown =
            std::make_unique<ui::GrowthWindow>(history, project, version, messages, nullptr);
        shown->show();
        return shown;
    }
    static QStringList column(QTableView& view, int c) {
        QStringList texts;
        for (int r = 0; r < view.model()->rowCount(); ++r)
            texts << view.model()->index(r, c).data().toString();
        return texts;
    }
    static int columnNamed(QTableView& view, const QString& header) {
        for (int c = 0; c < view.model()->columnCount(); ++c)
            if (view.model()->headerData(c, Qt::Horizontal).toString() == header) return c;
        ADD_FAILURE() << "no column " << header.toStdString();
        return 0;
    }

    history::VersionHistory history{work / "verhis"};
};

TEST_F(GrowthWindowTest, VersionsInVersionOrderWithTheirChanges) {
    writeRecords();
    const auto growth = growthOf("billing", "1.10.0");
    EXPECT_EQ(growth->windowTitle(), QStringLiteral("Growth of Billing"));
    auto& versions = *child<QTableView>(*growth, "tblVersions");
    EXPECT_EQ(column(versions, 0), (QStringList{"1.2.0", "1.9.0", "1.10.0"}));
    EXPECT_EQ(column(versions, 2), (QStringList{"2", "4", "3"}));  // modules
    EXPECT_EQ(column(versions, columnNamed(versions, "P")), (QStringList{"11", "29", "36"}));
    EXPECT_EQ(column(versions, columnNamed(versions, "\u0394P")),
              (QStringList{"\u2014", "+18", "+7"}));
    EXPECT_FALSE(column(versions, 1).contains(QString()));  // every record has its date

    // Sorted by a column of numbers as numbers, by the version as versions.
    versions.sortByColumn(columnNamed(versions, "\u0394P"), Qt::DescendingOrder);
    EXPECT_EQ(column(versions, 0), (QStringList{"1.9.0", "1.10.0", "1.2.0"}));
    versions.sortByColumn(0, Qt::DescendingOrder);
    EXPECT_EQ(column(versions, 0), (QStringList{"1.10.0", "1.9.0", "1.2.0"}));
    EXPECT_FALSE(child<QLabel>(*growth, "lblProblems")->isVisible());
}

TEST_F(GrowthWindowTest, TheChartDrawsPAndAAndCAndBOnDemand) {
    writeRecords();
    const auto growth = growthOf("Billing", "1.9.0");
    auto& chart = *child<ui::GrowthChart>(*growth, "growthChart");
    ASSERT_TRUE(chart.drawsLines());
    const QList<QPointF> p = chart.series(0)->points();
    EXPECT_EQ(p, (QList<QPointF>{{0, 11}, {1, 29}, {2, 36}}));
    EXPECT_EQ(chart.series(1)->points().at(2), QPointF(2, 47));
    EXPECT_TRUE(chart.series(0)->isVisible());
    EXPECT_TRUE(chart.series(1)->isVisible());
    EXPECT_FALSE(chart.series(2)->isVisible());
    child<QCheckBox>(*growth, "chkC")->setChecked(true);
    EXPECT_TRUE(chart.series(2)->isVisible());
    child<QCheckBox>(*growth, "chkP")->setChecked(false);
    EXPECT_FALSE(chart.series(0)->isVisible());

    // One version: its row, and no line to draw.
    const auto alone = growthOf("Alone", "1.0.0");
    EXPECT_EQ(child<QTableView>(*alone, "tblVersions")->model()->rowCount(), 1);
    EXPECT_FALSE(child<ui::GrowthChart>(*alone, "growthChart")->drawsLines());
    EXPECT_TRUE(child<QLabel>(*alone, "lblNoChart")->isVisible());
}

TEST_F(GrowthWindowTest, ComparesTheSelectedVersionWithTheOneBefore) {
    writeRecords();
    const auto growth = growthOf("Billing", "1.10.0");
    EXPECT_EQ(child<QComboBox>(*growth, "cbbFrom")->currentText(), QStringLiteral("1.9.0"));
    EXPECT_EQ(child<QComboBox>(*growth, "cbbTo")->currentText(), QStringLiteral("1.10.0"));
    auto& modules = *child<QTableView>(*growth, "tblModules");
    // Unchanged modules only on demand.
    EXPECT_EQ(column(modules, 0), (QStringList{"a.bas", "c.bas"}));
    EXPECT_EQ(column(modules, 2), (QStringList{"changed", "removed"}));
    EXPECT_EQ(column(modules, columnNamed(modules, "\u0394P")), (QStringList{"+10", "-3"}));
    child<QCheckBox>(*growth, "chkSame")->setChecked(true);
    EXPECT_EQ(column(modules, 0), (QStringList{"a.bas", "b.bas", "c.bas", "d.bas"}));
    EXPECT_TRUE(
        child<QLabel>(*growth, "lblComparison")
            ->text()
            .startsWith(QStringLiteral("1.9.0 \u2192 1.10.0: 0 added, 1 removed, 1 changed, "
                                       "2 unchanged.  Totals: P 29 \u2192 36 (+7)")));

    // Any two versions chosen there.
    child<QComboBox>(*growth, "cbbFrom")->setCurrentText(QStringLiteral("1.2.0"));
    EXPECT_EQ(growth->comparison()->from, "1.2.0");
    EXPECT_EQ(growth->comparison()->to, "1.10.0");
    child<QCheckBox>(*growth, "chkSame")->setChecked(false);
    EXPECT_EQ(column(modules, 0), (QStringList{"a.bas", "b.bas"}));
    EXPECT_EQ(column(modules, 2), (QStringList{"changed", "added"}));

    // The first version selected: it and the one after it.
    const auto first = growthOf("Billing", "1.2.0");
    EXPECT_EQ(first->comparison()->from, "1.2.0");
    EXPECT_EQ(first->comparison()->to, "1.9.0");
}

TEST_F(GrowthWindowTest, ExportsTheComparisonAndTheTable) {
    writeRecords();
    const auto growth = growthOf("Billing", "1.10.0");
    std::vector<std::string> proposed;
    const fs::path target = work / "out.csv";
    growth->setSaveNameChooser([&](const std::string& name) {
        proposed.push_back(name);
        return target.string();
    });
    child<QPushButton>(*growth, "cmdOutputComparison")->click();
    ASSERT_EQ(proposed.size(), 1u);
    EXPECT_EQ(proposed[0].rfind("Billing_1.9.0_1.10.0_", 0), 0u);
    const std::string csv = TempDir::read(target);
    EXPECT_EQ(csv.rfind("Module File,Type,Status,From P,", 0), 0u);
    // Every module, the unchanged ones too, and the totals.
    EXPECT_NE(csv.find("\r\nd.bas,Module,same,1,1,"), std::string::npos);
    EXPECT_NE(csv.find("\r\nc.bas,Module,removed,3,3,"), std::string::npos);
    EXPECT_NE(csv.find("\r\n ,Total,,29,35,"), std::string::npos);
    EXPECT_EQ(messages.shown.back(), "i:" + std::string(history::kExported));

    child<QPushButton>(*growth, "cmdOutputVersions")->click();
    EXPECT_EQ(proposed.at(1).rfind("Billing_growth_", 0), 0u);
    EXPECT_EQ(TempDir::read(target).rfind("Version,Recorded,Modules,P,A,", 0), 0u);

    // Cancelled: nothing written, nothing said.
    const auto said = messages.shown.size();
    growth->setSaveNameChooser([](const std::string&) { return std::string(); });
    child<QPushButton>(*growth, "cmdOutputComparison")->click();
    EXPECT_EQ(messages.shown.size(), said);
}

TEST_F(GrowthWindowTest, ADamagedRecordIsToldInTheTable) {
    writeRecords();
    work.write("verhis/Billing/1.9.0", "a.bas:Module:20:25:0:0:20:20:20:25:25:25\r\n");
    const auto growth = growthOf("Billing", "1.10.0");
    auto& versions = *child<QTableView>(*growth, "tblVersions");
    EXPECT_EQ(column(versions, columnNamed(versions, "P")), (QStringList{"11", "\u2014", "36"}));
    EXPECT_EQ(column(versions, columnNamed(versions, "\u0394P")),
              (QStringList{"\u2014", "\u2014", "\u2014"}));
    EXPECT_EQ(child<QLabel>(*growth, "lblProblems")->text(),
              QStringLiteral("1.9.0: the record has no summary line"));
    EXPECT_TRUE(child<QLabel>(*growth, "lblComparison")
                    ->text()
                    .contains(QStringLiteral("version 1.9.0: the record has no summary line")));
    EXPECT_EQ(child<ui::GrowthChart>(*growth, "growthChart")->series(0)->count(), 2);
}

TEST_F(GrowthWindowTest, TheHistoryWindowOpensItByButtonAndKey) {
    writeRecords();
    ui::HistoryWindow historyWindow(main());
    historyWindow.show();
    auto& button = *child<QPushButton>(historyWindow, "sbt4");
    EXPECT_EQ(button.text(), QStringLiteral("&Growth"));
    EXPECT_EQ(button.geometry(), ui::twipsRect(6540, 90, 2400, 360));
    historyWindow.selectRecord("Billing", "1.9.0");
    button.click();
    auto* opened = historyWindow.findChild<ui::GrowthWindow*>();
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isModal());
    EXPECT_EQ(opened->comparison()->to, "1.9.0");
    opened->close();
    processEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(historyWindow.findChild<ui::GrowthWindow*>(), nullptr);

    historyWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&historyWindow));
    QTest::keyClick(&historyWindow, Qt::Key_G, Qt::ControlModifier);
    opened = historyWindow.findChild<ui::GrowthWindow*>();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->table().project, "Billing");
    opened->close();
}

TEST_F(GrowthWindowTest, WithNoVersionSelectedThereIsNothingToShow) {
    fs::create_directories(work / "verhis/Empty");
    ui::HistoryWindow historyWindow(main());
    historyWindow.show();
    child<QPushButton>(historyWindow, "sbt4")->click();
    EXPECT_EQ(historyWindow.findChild<ui::GrowthWindow*>(), nullptr);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"i:" + std::string(history::kNothingToExport)}));
}

TEST_F(GrowthWindowTest, TheVersionHistoryOpensOnTheCurrentCalculation) {
    // Records of a project listed before it and of versions around it.
    save("Aardvark", "1.0.0", {row("x.bas", 1, 1)});
    save("Two", "0.0.0", {row("mdlD.bas", 1, 1)});
    save("Two", "0.0.10", {row("mdlD.bas", 1, 1)});
    writeGroup();
    main().show();
    main().openProject((projects / "Shop/Two/Two.vbp").string());
    ModalDriver driver;
    driver.on<ui::HistoryWindow>([](ui::HistoryWindow* shown) {
        auto& versions = *child<QComboBox>(*shown, "cbb1");
        EXPECT_EQ(child<QComboBox>(*shown, "cbb0")->currentText(), QStringLiteral("Two"));
        EXPECT_EQ(versions.currentText(), QStringLiteral("0.0.1"));
        QStringList texts;
        for (int i = 0; i < versions.count(); ++i) texts << versions.itemText(i);
        EXPECT_EQ(texts, (QStringList{"0.0.0", "0.0.1", "0.0.10"}));
        EXPECT_EQ(rowCount(*child<QTreeView>(*shown, "lsv")), 1);
        return rejectLater(shown);
    });
    QTest::keyClick(&main(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(driver.done());
}

}  // namespace
}  // namespace tlvx::test
