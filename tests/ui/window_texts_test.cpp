// Every text of the three windows, with long realistic values, is seen
// whole at its designed place: nothing cut, nothing under another control.
// A text too long even for the smallest size (8 pt) ends in a visible
// ellipsis and carries itself whole as its control's tool tip.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <string>
#include <vector>

#include "program/history/version_history.h"
#include "program/ui/about_window.h"
#include "program/ui/history_window.h"
#include "program/ui/window_look.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;

constexpr qreal kSmallest = 8.0;
const QString kEllipsis = QStringLiteral("\u2026");

// The window-relative place of a widget.
QRect placeInWindow(const QWidget& widget) {
    return QRect(widget.mapTo(widget.window(), QPoint(0, 0)), widget.size());
}

bool contains(const QWidget& ancestor, const QWidget& widget) {
    for (const QWidget* w = &widget; w; w = w->parentWidget())
        if (w == &ancestor) return true;
    return false;
}

// True when `above` is drawn over `below`: among the children of their
// nearest common ancestor, the branch holding `above` comes later.
bool drawnOver(const QWidget& above, const QWidget& below) {
    for (const QWidget* a = &above; a->parentWidget(); a = a->parentWidget()) {
        const QWidget* common = a->parentWidget();
        if (!contains(*common, below)) continue;
        const QWidget* b = &below;
        while (b->parentWidget() != common) b = b->parentWidget();
        const auto& order = common->children();
        return order.indexOf(a) > order.indexOf(b);
    }
    return false;
}

// The designed controls of the window drawn over `control`'s place.
std::vector<QRect> coversOf(const QWidget& control) {
    std::vector<QRect> covers;
    const QRect place = placeInWindow(control);
    for (const QWidget* other : control.window()->findChildren<QWidget*>()) {
        if (other->objectName().isEmpty() || !other->isVisibleTo(control.window())) continue;
        if (contains(*other, control) || contains(control, *other)) continue;
        const QRect otherPlace = placeInWindow(*other);
        if (otherPlace.intersects(place) && drawnOver(*other, control))
            covers.push_back(otherPlace.translated(-place.topLeft()));
    }
    return covers;
}

// The part of the control's width left uncovered, as [left, right].
std::pair<int, int> uncovered(const QWidget& control) {
    int left = 0;
    int right = control.width() - 1;
    for (const QRect& cover : coversOf(control)) {
        if (cover.center().x() >= control.width() / 2)
            right = std::min(right, cover.left() - 1);
        else
            left = std::max(left, cover.right() + 1);
    }
    return {left, right};
}

struct Seen {
    bool whole = false;
    QString text;  // as a tool tip would give it
};

Seen seenText(QWidget& control) {
    const auto [left, right] = uncovered(control);
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        if (label->wordWrap())
            return {label->heightForWidth(label->width()) <= label->height() && left == 0 &&
                        right == label->width() - 1,
                    label->text()};
        return {left == 0 && label->sizeHint().width() <= right + 1 &&
                    label->sizeHint().height() <= label->height(),
                label->text()};
    }
    if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        // A box places its text (scrolled or aligned) when it paints.
        edit->repaint();
        const QString text = edit->text();
        const QString ink = text.trimmed();
        if (ink.isEmpty()) return {true, ink};
        const int first = static_cast<int>(text.indexOf(ink));
        const int end = first + static_cast<int>(ink.size());
        const int y = edit->height() / 2;
        // The character positions nearest to the uncovered edges, as the box
        // now shows its text.
        return {edit->cursorPositionAt(QPoint(left, y)) <= first &&
                    edit->cursorPositionAt(QPoint(right, y)) >= end,
                ink};
    }
    if (auto* combo = qobject_cast<QComboBox*>(&control)) {
        // What Qt itself needs to show this one text in a selector.
        QComboBox probe;
        probe.setFont(combo->font());
        probe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
        probe.addItem(combo->currentText());
        return {combo->currentText().isEmpty() || (left == 0 && right == combo->width() - 1 &&
                                                   probe.sizeHint().width() <= combo->width()),
                combo->currentText()};
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        const QString text = QString(button->text()).remove(u'&');
        if (text.isEmpty()) return {true, text};
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const int needed = QFontMetrics(button->font()).horizontalAdvance(text) + icon;
        const int frame = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return {left == 0 && right == button->width() - 1 && needed + frame <= button->width(),
                text};
    }
    return {true, {}};
}

// Every designed control whose text is cut or covered, unless it shows an
// ellipsis and carries its whole text as tool tip; and every text below the
// smallest size.
std::vector<std::string> hiddenTexts(QWidget& window) {
    // The window as it stands once its layout has settled.
    QApplication::processEvents();
    std::vector<std::string> problems;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->objectName().isEmpty() || !control->isVisibleTo(&window)) continue;
        if (control->font().pointSizeF() < kSmallest - 0.01)
            problems.push_back(control->objectName().toStdString() + " at " +
                               std::to_string(control->font().pointSizeF()) + " pt");
        const Seen seen = seenText(*control);
        if (seen.whole) continue;
        const QString visible = ui::visibleText(*control);
        const bool told = ui::showsEllipsis(*control) && visible.contains(kEllipsis) &&
                          visible != seen.text && control->toolTip() == seen.text;
        if (!told)
            problems.push_back(control->objectName().toStdString() + ": \"" +
                               seen.text.toStdString() + "\" at " +
                               std::to_string(control->font().pointSizeF()) + " pt");
    }
    return problems;
}

const std::string kDescription = [] {
    std::string text =
        "Point of sale and stock keeping for the corner shops of the northern district, with "
        "till, basket, price lists, daily reports and the month-end export to the accounts "
        "office; keeps working offline when the network is down and syncs again later";
    text.resize(255, '.');
    return text;
}();

class WindowTextsTest : public WindowTest {
protected:
    // A group of 250 positions: the first a project with long values, the
    // others blank lines of the group file.
    fs::path writeLongGroup() {
        projects.write("Big/Warehouse/Warehouse.vbp",
                       "Type=Exe\r\nModule=mdlA; mdlA.bas\r\n"
                       "Name=\"Warehouse_Inventory_Control_System\"\r\n"
                       "MajorVer=2026\r\nMinorVer=12\r\nRevisionVer=65535\r\n"
                       "VersionProductName=\"Northern District Retail Suite Professional\"\r\n"
                       "Description=\"" +
                           kDescription +
                           "\"\r\nVersionComments=\"Built for the shops that still run VB6 "
                           "on their tills\"\r\nVersionCompanyName=\"Corner Shop Software and "
                           "Services Limited\"\r\nVersionLegalCopyright=\"Copyright (c) "
                           "1998-2026 Corner Shop Software and Services Limited\"\r\n"
                           "VersionLegalTrademarks=\"Corner Shop is a trademark of Corner Shop "
                           "Software and Services Limited\"\r\n");
        projects.write("Big/Warehouse/mdlA.bas", module("mdlA", 3));
        std::string group = "VBGROUP 5.0\r\nStartupProject=Warehouse\\Warehouse.vbp\r\n";
        for (int i = 1; i < 250; ++i) group += "\r\n";
        return projects.write("Big/Big.vbg", group);
    }

    void choose(const fs::path& file) {
        ModalDriver driver;
        driver.on<QFileDialog>([&](QFileDialog* dialog) {
            return typeAndConfirm(dialog, QString::fromStdString(file.string()));
        });
        child<QPushButton>(main(), "sbt0")->click();
    }
};

TEST_F(WindowTextsTest, MainWindowShowsEveryTextWhole) {
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    EXPECT_EQ(hiddenTexts(main()), std::vector<std::string>{});  // before any choice

    choose(writeLongGroup());
    auto* counter = child<QLineEdit>(main(), "txtCount");
    ASSERT_EQ(counter->text(), QStringLiteral("  1/250"));
    EXPECT_EQ(child<QLineEdit>(main(), "txt1")->text(), QStringLiteral("2026.12.65535"));
    EXPECT_EQ(hiddenTexts(main()), std::vector<std::string>{});
    // The description cannot fit even at 8 pt: it ends in an ellipsis and
    // is its box's tool tip.
    auto* description = child<QLineEdit>(main(), "txt3");
    EXPECT_EQ(description->toolTip(), QString::fromStdString(kDescription));
    EXPECT_DOUBLE_EQ(description->font().pointSizeF(), kSmallest);
    EXPECT_TRUE(ui::visibleText(*description).endsWith(kEllipsis));
    EXPECT_EQ(description->text(), QString::fromStdString(kDescription));  // the text stays whole

    // One, two and three digits before the "/" (the counter's end lies under
    // ">"), always in one size.
    const qreal counterSize = counter->font().pointSizeF();
    EXPECT_DOUBLE_EQ(counterSize, 8.25);
    auto* next = child<QPushButton>(main(), "sbt11");
    for (int position = 2; position <= 100; ++position) {
        next->click();
        if (position == 9 || position == 10 || position == 13 || position == 26 ||
            position == 100) {
            SCOPED_TRACE(position);
            EXPECT_EQ(counter->text(), QStringLiteral("  %1/250").arg(position));
            EXPECT_EQ(hiddenTexts(main()), std::vector<std::string>{});
            EXPECT_DOUBLE_EQ(counter->font().pointSizeF(), counterSize);
        }
    }
    // A short text again gets its size back, and no tool tip or ellipsis.
    EXPECT_TRUE(description->text().isEmpty());
    EXPECT_TRUE(description->toolTip().isEmpty());
    EXPECT_FALSE(ui::showsEllipsis(*description));
    EXPECT_DOUBLE_EQ(description->font().pointSizeF(), 8.25);
}

// Versions of three 4-digit parts are seen whole in the version box and
// in the version selector and its list; a longer one ends in an ellipsis
// and is the tool tip.
TEST_F(WindowTextsTest, VersionsAreSeenWholeOrWithAnEllipsis) {
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    auto* version = child<QLineEdit>(main(), "txt1");
    for (const char* text : {"2019.0.537", "2026.1.249", "9999.9999.9999"}) {
        version->setText(QString::fromLatin1(text));
        EXPECT_FALSE(ui::showsEllipsis(*version)) << text;
        EXPECT_EQ(ui::visibleText(*version), QString::fromLatin1(text));
        EXPECT_DOUBLE_EQ(version->font().pointSizeF(), 8.25) << text;
        EXPECT_EQ(hiddenTexts(main()), std::vector<std::string>{}) << text;
    }
    const QString longer = QStringLiteral("99999.99999.99999.99999");
    version->setText(longer);
    EXPECT_TRUE(ui::showsEllipsis(*version));
    EXPECT_EQ(version->toolTip(), longer);
    EXPECT_TRUE(ui::visibleText(*version).endsWith(kEllipsis));
    EXPECT_EQ(version->text(), longer);
    EXPECT_EQ(hiddenTexts(main()), std::vector<std::string>{});

    history::VersionHistory records(work / "verhis");
    for (const char* text : {"2019.0.537", "9999.9999.9999", "1.0.0"})
        ASSERT_TRUE(records.save("contab", text, {{"a.bas", "Module"}}, "no summary"));
    ASSERT_TRUE(records.save("contab", longer.toStdString(), {{"a.bas", "Module"}}, "none"));
    ui::HistoryWindow history(main());
    history.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&history));
    auto* versions = child<QComboBox>(history, "cbb1");
    ASSERT_EQ(versions->count(), 4);
    for (int i = 0; i < versions->count(); ++i) {
        versions->setCurrentIndex(i);
        const QString text = versions->currentText();
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ui::showsEllipsis(*versions), text == longer);
        EXPECT_EQ(hiddenTexts(history), std::vector<std::string>{});
        // The drop-down list shows every entry whole.
        EXPECT_GE(versions->view()->minimumWidth(),
                  versions->view()->fontMetrics().horizontalAdvance(longer));
    }
}

TEST_F(WindowTextsTest, TheWalkSeesACutTextAndACoveredOne) {
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    auto* name = child<QLineEdit>(main(), "txt0");
    // Cut: a long text in a font that was not fitted to it.
    const QString long_(200, u'W');
    {
        const QSignalBlocker quiet(name);
        name->setText(long_);
    }
    EXPECT_EQ(hiddenTexts(main()).size(), 1u);
    name->clear();
    name->setText(long_);  // now fitted: 8 pt, an ellipsis and its tool tip
    EXPECT_EQ(hiddenTexts(main()), std::vector<std::string>{});
    name->clear();

    // Covered: the counter's text taken under ">".
    auto* counter = child<QLineEdit>(main(), "txtCount");
    counter->setTextMargins(0, 0, 0, 0);
    counter->setText(QStringLiteral("  4/7"));
    const auto problems = hiddenTexts(main());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("txtCount", 0), 0u) << problems[0];
}

TEST_F(WindowTextsTest, HistoryWindowShowsEveryTextWhole) {
    history::VersionHistory records(work / "verhis");
    const std::string summary =
        "Total: 123456 / 234567 / 34567 / 4567 / 88889 / 118989 / 84322 / 200000 / 230000 / "
        "195433 code lines in 999 modules (same order as above).";
    ASSERT_TRUE(records.save("Warehouse_Inventory_Control_System", "2026.12.65535",
                             {{"Forms\\frmStockTakingAndReorder.frm", "Form", "1", "2", "0", "1",
                               "1", "0", "0", "2", "1", "1"}},
                             summary));
    ASSERT_TRUE(records.save("Warehouse_Inventory_Control_System", "1.0.0", {}, summary));
    ui::HistoryWindow history(main());
    history.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&history));
    auto* versions = child<QComboBox>(history, "cbb1");
    for (int i = 0; i < versions->count(); ++i) {
        versions->setCurrentIndex(i);
        SCOPED_TRACE(versions->currentText().toStdString());
        EXPECT_EQ(hiddenTexts(history), std::vector<std::string>{});
    }
    versions->setCurrentIndex(versions->findText(QStringLiteral("2026.12.65535")));
    EXPECT_EQ(versions->currentText(), QStringLiteral("2026.12.65535"));
    EXPECT_EQ(hiddenTexts(history), std::vector<std::string>{});
}

TEST_F(WindowTextsTest, AboutWindowShowsEveryTextWhole) {
    ui::AboutWindow plain([](const std::string&) {}, nullptr);
    plain.show();
    EXPECT_EQ(hiddenTexts(plain), std::vector<std::string>{});
    EXPECT_EQ(plain.findChild<QLabel*>(QStringLiteral("lblHistory")), nullptr);

    const QString place = QStringLiteral("/home/someone/.local/share/tallyvex/verhis");
    ui::AboutWindow moved([](const std::string&) {}, nullptr, place);
    moved.show();
    EXPECT_EQ(child<QLabel>(moved, "lblHistory")->text(), "Version history: " + place);
    EXPECT_EQ(hiddenTexts(moved), std::vector<std::string>{});
    const QString deep = QStringLiteral("/srv/") + QString(300, u'x') + QStringLiteral("/verhis");
    ui::AboutWindow deepMoved([](const std::string&) {}, nullptr, deep);
    deepMoved.show();
    EXPECT_EQ(hiddenTexts(deepMoved), std::vector<std::string>{});
    EXPECT_EQ(child<QLabel>(deepMoved, "lblHistory")->toolTip(), "Version history: " + deep);
}

}  // namespace
}  // namespace tlvx::test
