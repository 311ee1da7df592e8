// The about window: its texts and places, its size, and the pages its
// pictures and button lead to.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "platform/text/ansi_codepage.h"
#include "program/ui/about_window.h"
#include "program/ui/web_links.h"
#include "program/ui/window_look.h"
#include "tests/ui/window_fixture.h"

namespace tlvx::test {
namespace {

using ui::twipsRect;

class AboutWindowTest : public testing::Test {
protected:
    AboutWindowTest() { about.show(); }
    std::vector<std::string> opened;
    ui::AboutWindow about{[this](const std::string& address) { opened.push_back(address); },
                          nullptr};
};

TEST_F(AboutWindowTest, ShowsTheProductAndItsMakers) {
    EXPECT_EQ(about.objectName(), QStringLiteral("frmPubAbout"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Tallyvex"));
    EXPECT_TRUE(about.isModal());
    EXPECT_EQ(child<QGroupBox>(about, "fra")->geometry(), twipsRect(90, 0, 6625, 1951));

    struct Text {
        const char* name;
        const char* text;
        QRect place;
        bool bold;
    };
    const Text texts[] = {
        {"Label1", "Tallyvex", twipsRect(1320, 180, 2640, 195), true},
        {"lblMem", "Member of Zentor Programming Solution", twipsRect(1320, 465, 2730, 195), false},
        {"lblVer", "Version 1.2 (Build 009)", twipsRect(1320, 750, 1620, 195), false},
    };
    for (const Text& expected : texts) {
        SCOPED_TRACE(expected.name);
        auto* label = child<QLabel>(about, expected.name);
        EXPECT_EQ(label->text(), QString::fromUtf8(expected.text));
        EXPECT_EQ(label->pos(), expected.place.topLeft());
        EXPECT_EQ(label->font().bold(), expected.bold);
        // The whole text shows, in the designed size or a little smaller
        // where the font is wider than the one the window was laid out for;
        // where even 8 pt is too wide, it ends in an ellipsis and is the
        // label's tool tip.
        if (label->sizeHint().width() > label->width()) {
            EXPECT_TRUE(ui::showsEllipsis(*label));
            EXPECT_EQ(label->toolTip(), label->text());
        }
        EXPECT_LE(label->font().pointSizeF(), 8.25);
        EXPECT_GE(label->font().pointSizeF(), 8.0);
        EXPECT_LE(label->geometry().right(), child<QLabel>(about, "imgCompLogo")->x());
    }
    auto* rights = child<QLabel>(about, "lblCopy");
    EXPECT_FALSE(rights->text().isEmpty());
    EXPECT_EQ(rights->font().pointSizeF(), child<QLabel>(about, "lblMem")->font().pointSizeF());
    auto* donate = child<QPushButton>(about, "cmbDonate");
    EXPECT_EQ(
        donate->text(),
        QStringLiteral("It's 100% Freeware, welcome your donation with any amount as you like."));
    EXPECT_TRUE(donate->font().bold());
    EXPECT_EQ(donate->geometry(), twipsRect(90, 1501, 6445, 360));

    auto* product = child<QLabel>(about, "imgProdLogo");
    EXPECT_EQ(product->geometry(), twipsRect(90, 180, 1140, 1140));
    EXPECT_EQ(product->toolTip(), QStringLiteral("Opens TLVX's homepage."));
    EXPECT_EQ(product->pixmap().size(), QSize(72, 72));
    EXPECT_EQ(product->cursor().shape(), Qt::PointingHandCursor);
    auto* maker = child<QLabel>(about, "imgCompLogo");
    EXPECT_EQ(maker->toolTip(), QStringLiteral("Visits our homepage."));
    EXPECT_EQ(maker->pixmap().size(), QSize(141, 56));
    EXPECT_EQ(maker->cursor().shape(), Qt::PointingHandCursor);
}

// The code page project files and records are read and written in shows
// whole at the right end of the rights line, within the frame.
TEST(AboutWindowCodePage, ShowsTheCodePageInUse) {
    struct Restore {
        ~Restore() { platform::ansi::useCodePage(1252); }
    } restore;
    for (const int codePage : {1252, 932, 1251}) {
        ASSERT_TRUE(platform::ansi::useCodePage(codePage));
        ui::AboutWindow about([](const std::string&) {}, nullptr);
        about.show();
        auto* label = child<QLabel>(about, "lblCodePage");
        EXPECT_EQ(label->text(), QStringLiteral("Code page %1").arg(codePage));
        EXPECT_FALSE(label->toolTip().isEmpty());
        auto* rights = child<QLabel>(about, "lblCopy");
        EXPECT_EQ(label->y(), rights->y());
        EXPECT_GT(label->x(), rights->geometry().right());
        EXPECT_LE(label->sizeHint().width(), label->width());
        EXPECT_LE(label->geometry().right(), child<QGroupBox>(about, "fra")->width());
    }
}

TEST_F(AboutWindowTest, KeepsItsSizeAroundTheFrame) {
    const QSize fixed(ui::twips(90) + ui::twips(6625) + ui::twips(90),
                      ui::twips(1951) + ui::twips(90));
    EXPECT_EQ(fixed, QSize(454, 136));
    EXPECT_EQ(about.size(), fixed);
    about.resize(800, 600);
    QApplication::processEvents();
    EXPECT_EQ(about.size(), fixed);
}

TEST_F(AboutWindowTest, PicturesAndButtonLeadToTheirPages) {
    auto* product = child<QLabel>(about, "imgProdLogo");
    auto* maker = child<QLabel>(about, "imgCompLogo");
    QTest::mouseClick(product, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(maker, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(maker, Qt::RightButton, {}, QPoint(10, 10));  // not a click
    child<QPushButton>(about, "cmbDonate")->click();
    EXPECT_EQ(opened,
              (std::vector<std::string>{ui::links::productPage(), ui::links::makerHomePage(),
                                        ui::links::donationPage()}));
    // They lead to the documentation beside the program.
    EXPECT_TRUE(ui::links::productPage().starts_with("file://"));
    EXPECT_TRUE(ui::links::productPage().ends_with("/doc/index.html"));
    EXPECT_TRUE(ui::links::makerHomePage().ends_with("/doc/index.html#makers"));
}

}  // namespace
}  // namespace tlvx::test
