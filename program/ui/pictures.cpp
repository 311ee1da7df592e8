#include "program/ui/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "program/ui/window_look.h"

namespace tlvx::ui {
namespace {

constexpr int kSide = 16;  // the buttons show their pictures at this size

// A transparent square to draw a fall-back picture on.
QPixmap canvas(int side = kSide) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A fall-back picture: what `draw` paints on a transparent square.
template <class Draw>
QPixmap painted(Draw&& draw) {
    QPixmap pixmap = canvas();
    {
        QPainter p(&pixmap);
        draw(p);
    }
    return pixmap;
}

QPainter& pen(QPainter& p, const QColor& colour, qreal width = 1.4) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    return p;
}

// A folder with an arrow out of it.
void drawChoose(QPainter& p) {
    pen(p, QColor(150, 110, 20)).setBrush(QColor(240, 200, 90));
    p.drawRect(QRectF(1.5, 5.5, 13, 9));
    p.drawRect(QRectF(1.5, 3.5, 5, 2));
    pen(p, kDarkGreen, 1.8).drawLine(QPointF(8, 12), QPointF(8, 7));
    p.drawLine(QPointF(5.5, 9.5), QPointF(8, 7));
    p.drawLine(QPointF(10.5, 9.5), QPointF(8, 7));
}

// A clock face: what happened before.
void drawHistory(QPainter& p) {
    pen(p, kDarkGreen).setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

// A sheet with lines and a corner turned down.
void drawOutput(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(3.5, 1.5);
    sheet.lineTo(10, 1.5);
    sheet.lineTo(12.5, 4);
    sheet.lineTo(12.5, 14.5);
    sheet.lineTo(3.5, 14.5);
    sheet.closeSubpath();
    pen(p, Qt::darkGray).setBrush(Qt::white);
    p.drawPath(sheet);
    pen(p, kDarkGreen, 1.0);
    for (int y = 6; y <= 12; y += 2) p.drawLine(QPointF(5, y), QPointF(11, y));
}

// A heart.
void drawDonate(QPainter& p) {
    QPainterPath heart;
    heart.moveTo(8, 14);
    heart.cubicTo(1, 9, 0.5, 3, 4.5, 2.5);
    heart.cubicTo(6.5, 2.3, 7.7, 3.6, 8, 5);
    heart.cubicTo(8.3, 3.6, 9.5, 2.3, 11.5, 2.5);
    heart.cubicTo(15.5, 3, 15, 9, 8, 14);
    pen(p, QColor(160, 20, 40)).setBrush(QColor(220, 50, 70));
    p.drawPath(heart);
}

// A question mark in a blue disc.
void drawHelp(QPainter& p) {
    pen(p, QColor(30, 70, 160)).setBrush(QColor(60, 110, 200));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont font;
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

// A red cross; with a sheet behind it for a single version.
void drawDelete(QPainter& p, bool oneSheet) {
    if (oneSheet) {
        pen(p, Qt::darkGray).setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 9, 12));
    } else {
        pen(p, QColor(150, 110, 20)).setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 3.5, 12, 10));
    }
    pen(p, QColor(200, 0, 0), 2.2);
    p.drawLine(QPointF(8, 8), QPointF(14, 14));
    p.drawLine(QPointF(14, 8), QPointF(8, 14));
}

// A rising line over two axes: growth.
void drawGrowth(QPainter& p) {
    pen(p, Qt::darkGray, 1.0).drawLine(QPointF(1.5, 1.5), QPointF(1.5, 14.5));
    p.drawLine(QPointF(1.5, 14.5), QPointF(14.5, 14.5));
    pen(p, kDarkGreen, 1.8)
        .drawPolyline(QPolygonF({QPointF(3, 12), QPointF(6.5, 9), QPointF(9, 10), QPointF(14, 3)}));
}

}  // namespace

QIcon picture(Picture which) {
    switch (which) {
        case Picture::ChooseProject:
            return QIcon::fromTheme(QStringLiteral("document-open"), QIcon(painted(drawChoose)));
        case Picture::ShowHistory:
            return QIcon::fromTheme(QStringLiteral("document-open-recent"),
                                    QIcon(painted(drawHistory)));
        case Picture::OutputListing:
            return QIcon::fromTheme(QStringLiteral("document-save-as"), QIcon(painted(drawOutput)));
        case Picture::Donate:
            return QIcon::fromTheme(QStringLiteral("emblem-favorite"), QIcon(painted(drawDonate)));
        case Picture::Help:
            return QIcon::fromTheme(QStringLiteral("help-browser"), QIcon(painted(drawHelp)));
        case Picture::DeleteProject:
            return QIcon::fromTheme(QStringLiteral("edit-delete"),
                                    QIcon(painted([](QPainter& p) { drawDelete(p, false); })));
        case Picture::ShowGrowth:
            return QIcon(painted(drawGrowth));
        case Picture::DeleteVersion:
            return QIcon::fromTheme(QStringLiteral("list-remove"),
                                    QIcon(painted([](QPainter& p) { drawDelete(p, true); })));
    }
    return {};
}

QPixmap productLogo() {
    constexpr int kLogo = 72;
    QPixmap pixmap = canvas(kLogo);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, kLogo);
    face.setColorAt(0, QColor(60, 170, 60));
    face.setColorAt(1, QColor(0, 110, 0));
    p.setPen(QPen(QColor(0, 80, 0), 2));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(2, 2, kLogo - 4, kLogo - 4), 12, 12);
    // Lines of code of different lengths, the pure ones brighter.
    const int lengths[] = {40, 28, 46, 20, 34};
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(i % 2 ? QColor(190, 230, 190) : Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
        const qreal y = 16 + i * 10;
        p.drawLine(QPointF(14, y), QPointF(14 + lengths[i], y));
    }
    return pixmap;
}

QPixmap makerLogo() {
    QPixmap pixmap(141, 56);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 80, 0), 2));
    p.setBrush(QColor(235, 245, 235));
    p.drawRoundedRect(QRectF(1, 1, 139, 54), 8, 8);
    QFont font;
    font.setBold(true);
    font.setPixelSize(24);
    p.setFont(font);
    p.setPen(kDarkGreen);
    p.drawText(QRectF(0, 2, 141, 34), Qt::AlignCenter, QStringLiteral("Zentor"));
    font.setBold(false);
    font.setPixelSize(10);
    p.setFont(font);
    p.drawText(QRectF(0, 34, 141, 16), Qt::AlignCenter, QStringLiteral("Programming Solution"));
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (int side : {16, 32, 72})
        icon.addPixmap(
            productLogo().scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return icon;
}

}  // namespace tlvx::ui
