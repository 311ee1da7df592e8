#include "program/ui/window_look.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace tlvx::ui {

QFont windowFont() {
    QFont font;
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        font = QFont(QStringLiteral("Tahoma"));
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setStyleHint(QFont::SansSerif);
    }
    font.setPointSizeF(8.25);
    // Set, not left to inherit: a control inside a bold frame stays plain.
    font.setBold(false);
    return font;
}

QFont boldWindowFont() {
    QFont font = windowFont();
    font.setBold(true);
    return font;
}

void makeGreen(QWidget& widget, bool bold) {
    QPalette palette = widget.palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, kDarkGreen);
    widget.setPalette(palette);
    if (bold) {
        QFont font = widget.font();
        font.setBold(true);
        widget.setFont(font);
    }
}

void makeGreenOnButtonFace(QWidget& widget, bool bold) {
    makeGreen(widget, bold);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    widget.setPalette(palette);
}

namespace {

bool textFits(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        if (label->wordWrap()) return label->heightForWidth(label->width()) <= label->height();
        return label->sizeHint().width() <= label->width();
    }
    return control.sizeHint().width() <= control.width();
}

}  // namespace

void fitTextToBox(QWidget& control) {
    constexpr qreal kSmallest = 6.0;
    constexpr qreal kStep = 0.25;
    QFont font = control.font();
    while (!textFits(control) && font.pointSizeF() - kStep >= kSmallest) {
        font.setPointSizeF(font.pointSizeF() - kStep);
        control.setFont(font);
    }
}

void shareSmallestFont(std::initializer_list<QWidget*> group) {
    qreal smallest = 0;
    for (const QWidget* control : group) {
        const qreal size = control->font().pointSizeF();
        if (smallest == 0 || size < smallest) smallest = size;
    }
    for (QWidget* control : group) {
        QFont font = control->font();
        font.setPointSizeF(smallest);
        control->setFont(font);
    }
}

void sizeToText(QLabel& label, const QFont& font, int minWidth, int maxRight) {
    label.setFont(font);
    const int room = std::max(0, maxRight - label.x());
    label.resize(std::min(std::max(label.sizeHint().width(), minWidth), room), label.height());
    fitTextToBox(label);
}

QSize clientSizeAround(int lastRight, int lastBottom, int marginTwips) {
    return QSize(lastRight + twips(marginTwips), lastBottom + twips(marginTwips));
}

}  // namespace tlvx::ui
