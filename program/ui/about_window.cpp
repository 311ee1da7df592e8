#include "program/ui/about_window.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

#include "platform/text/ansi_codepage.h"
#include "program/program_version.h"
#include "program/ui/clickable_picture.h"
#include "program/ui/event_guard.h"
#include "program/ui/pictures.h"
#include "program/ui/web_links.h"
#include "program/ui/window_look.h"

namespace tlvx::ui {
namespace {

// A label at its place, as wide as its text needs up to `maxRight`.
QLabel* label(const QString& text, const QRect& place, int maxRight, QWidget* parent,
              const char* name, const QFont& font) {
    auto* created = new QLabel(text, parent);
    created->setObjectName(QString::fromLatin1(name));
    created->setGeometry(place);
    sizeToText(*created, font, place.width(), maxRight);
    return created;
}

}  // namespace

AboutWindow::AboutWindow(OpenAddress openAddress, QWidget* owner, const QString& historyPlace)
    : QDialog(owner), openAddress_(std::move(openAddress)) {
    setObjectName(QStringLiteral("frmPubAbout"));
    setWindowTitle(QStringLiteral("About Tallyvex"));
    setWindowModality(Qt::ApplicationModal);
    setModal(true);
    setFont(windowFont());

    auto* fra = new QGroupBox(this);
    fra->setObjectName(QStringLiteral("fra"));
    fra->setGeometry(twipsRect(90, 0, 6625, 1951));

    auto* productLogoBox =
        new ClickablePicture(productLogo(), QStringLiteral("Opens TLVX's homepage."), fra);
    productLogoBox->setObjectName(QStringLiteral("imgProdLogo"));
    productLogoBox->setGeometry(twipsRect(90, 180, 1140, 1140));
    connect(productLogoBox, &ClickablePicture::clicked, this,
            [this] { openLink(links::productPage()); });

    auto* makerLogoBox =
        new ClickablePicture(makerLogo(), QStringLiteral("Visits our homepage."), fra);
    makerLogoBox->setObjectName(QStringLiteral("imgCompLogo"));
    makerLogoBox->setGeometry(twipsRect(4500, 90, 2115, 840));
    connect(makerLogoBox, &ClickablePicture::clicked, this,
            [this] { openLink(links::makerHomePage()); });

    // The texts beside the maker's logo end before it; the rights line,
    // below it, may reach the frame's edge.
    const int besideLogo = makerLogoBox->x() - twips(90);
    const int toEdge = fra->width() - twips(90);
    label(QStringLiteral("Tallyvex"), twipsRect(1320, 180, 2640, 195), besideLogo, fra, "Label1",
          boldWindowFont());
    QLabel* member =
        label(QStringLiteral("Member of Zentor Programming Solution"),
              twipsRect(1320, 465, 2730, 195), besideLogo, fra, "lblMem", windowFont());
    QLabel* version =
        label(QStringLiteral("Version %1.%2 (Build %3)")
                  .arg(kVersionMajor)
                  .arg(kVersionMinor)
                  .arg(kVersionBuild, 3, 10, QChar(u'0')),
              twipsRect(1320, 750, 1620, 195), besideLogo, fra, "lblVer", windowFont());
    // The code page project files and records are read and written in, at
    // the right end of the rights line, which ends before it.
    auto* codePage =
        new QLabel(QStringLiteral("Code page %1").arg(platform::ansi::codePage()), fra);
    codePage->setObjectName(QStringLiteral("lblCodePage"));
    codePage->setToolTip(QStringLiteral(
        "The ANSI code page in which project files and version records are read and written"));
    const auto placeCodePage = [&](const QFont& font, int y, int height) {
        codePage->setFont(font);
        const int width = codePage->sizeHint().width();
        codePage->setGeometry(toEdge - width, y, width, height);
    };
    placeCodePage(windowFont(), twips(1035), twips(195));
    QLabel* rights = label(QStringLiteral("Copyright \u00A9 Zentor Programming Solution"),
                           twipsRect(1320, 1035, 4665, 195), codePage->x() - twips(180), fra,
                           "lblCopy", windowFont());
    shareSmallestFont({member, version, rights});
    placeCodePage(rights->font(), rights->y(), rights->height());
    int ruleTop = twips(1410) - 1;
    if (!historyPlace.isEmpty()) {
        // In the free strip between the rights line and the rule.
        auto* place = new QLabel(QStringLiteral("Version history: ") + historyPlace, fra);
        place->setObjectName(QStringLiteral("lblHistory"));
        place->setGeometry(twipsRect(1320, 1230, 0, 165));
        place->resize(toEdge - place->x(), place->height());
        place->setFont(windowFont());
        fitTextToBox(*place);
        // A line of text in no smaller size than 8 pt may need more height
        // than the strip has: the rule below it then moves down, into the
        // room above the button.
        const int needed = place->sizeHint().height();
        if (needed > place->height()) {
            place->resize(place->width(), needed);
            ruleTop = std::max(ruleTop, place->geometry().bottom() + 1);
        }
        fitTextToBox(*place);
    }

    auto* rule = new QFrame(fra);
    rule->setObjectName(QStringLiteral("Line1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(0, ruleTop, twips(6600), 2);

    auto* donate = new QPushButton(
        QStringLiteral("It's 100% Freeware, welcome your donation with any amount as you like."),
        fra);
    donate->setObjectName(QStringLiteral("cmbDonate"));
    donate->setGeometry(twipsRect(90, 1501, 6445, 360));
    donate->setFont(boldWindowFont());
    donate->setAutoDefault(false);
    fitTextToBox(*donate);
    connect(donate, &QPushButton::clicked, this, [this] { openLink(links::donationPage()); });

    // The client area ends 90 twips beyond the frame's right and bottom.
    fixedSize_ = clientSizeAround(fra->geometry().right() + 1, fra->geometry().bottom() + 1);
    setFixedSize(fixedSize_);
}

void AboutWindow::openLink(const std::string& address) {
    passOverFailure([&] {
        if (openAddress_) openAddress_(address);
    });
}

void AboutWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (event->size() != fixedSize_) resize(fixedSize_);
}

}  // namespace tlvx::ui
