#include "program/ui/window_look.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QVariant>
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

constexpr qreal kSmallestPointSize = 6.0;
constexpr qreal kPointStep = 0.25;
// The properties a fitted control keeps: the size it was designed with,
// and whether its tool tip is the fit's.
constexpr const char* kDesignedSize = "tlvxDesignedPointSize";
constexpr const char* kToolTipIsText = "tlvxToolTipIsText";

// A line edit draws its text 2 pixels inside its contents on each side,
// and keeps one more pixel and the cursor's width beyond the text's end.
constexpr int kLineEditInnerMargin = 2;
constexpr int kLineEditTextSlack = 2;
// A combo box's label stands 1 pixel inside its edit field on each side.
constexpr int kComboLabelInset = 1;

// Only the spaces on the side the text is aligned away from take room:
// the others fall outside the box when the rest fits.
QString inkOf(const QString& text, Qt::Alignment alignment) {
    qsizetype first = 0;
    qsizetype last = text.size();
    if (alignment & Qt::AlignRight) {
        while (first < last && text[first] == u' ') ++first;
    } else {
        while (last > first && text[last - 1] == u' ') --last;
    }
    return text.mid(first, last - first);
}

int lineEditRoom(const QLineEdit& edit) {
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.rect = edit.contentsRect();
    option.lineWidth = edit.hasFrame()
                           ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit)
                           : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (edit.isReadOnly()) option.state |= QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    const QRect contents =
        edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    const QMargins margins = edit.textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * kLineEditInnerMargin;
}

int comboRoom(const QComboBox& combo) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.frame = combo.hasFrame();
    option.currentText = combo.currentText();
    option.subControls = QStyle::SC_All;
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, &combo);
    return field.width() - 2 * kComboLabelInset;
}

bool textFits(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        if (label->wordWrap()) return label->heightForWidth(label->width()) <= label->height();
        const QSize needed = label->sizeHint();
        return needed.width() <= label->width() && needed.height() <= label->height();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        const QString ink = inkOf(edit->text(), edit->alignment());
        if (ink.isEmpty()) return true;
        const qreal needed = QFontMetricsF(edit->font()).horizontalAdvance(ink);
        return needed + kLineEditTextSlack <= lineEditRoom(*edit);
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&control)) {
        const QString text = combo->currentText();
        if (text.isEmpty()) return true;
        return QFontMetricsF(combo->font()).horizontalAdvance(text) <= comboRoom(*combo);
    }
    return control.sizeHint().width() <= control.width();
}

// The text the control shows, as its tool tip would give it.
QString shownText(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) return edit->text().trimmed();
    if (const auto* combo = qobject_cast<const QComboBox*>(&control)) return combo->currentText();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return QString(button->text()).remove(u'&');
    return {};
}

// The whole text as tool tip while it cannot be shown whole; a tool tip
// the control was given stays.
void showWholeTextAsToolTip(QWidget& control, bool fits) {
    const bool tipIsText = control.property(kToolTipIsText).toBool();
    if (!tipIsText && !control.toolTip().isEmpty()) return;
    if (fits) {
        if (tipIsText) control.setToolTip(QString());
        control.setProperty(kToolTipIsText, false);
    } else {
        control.setToolTip(shownText(control));
        control.setProperty(kToolTipIsText, true);
    }
}

}  // namespace

void fitTextToBox(QWidget& control) {
    QFont font = control.font();
    // Each fit starts again from the designed size: a shorter text than the
    // last one gets its room back.
    const QVariant designed = control.property(kDesignedSize);
    if (designed.isValid()) {
        font.setPointSizeF(designed.toReal());
        control.setFont(font);
    } else {
        control.setProperty(kDesignedSize, font.pointSizeF());
    }
    while (!textFits(control) && font.pointSizeF() - kPointStep >= kSmallestPointSize) {
        font.setPointSizeF(font.pointSizeF() - kPointStep);
        control.setFont(font);
    }
    showWholeTextAsToolTip(control, textFits(control));
}

void keepTextFitted(QWidget& control) {
    fitTextToBox(control);
    QWidget* target = &control;
    const auto refit = [target] { fitTextToBox(*target); };
    if (auto* edit = qobject_cast<QLineEdit*>(&control))
        QObject::connect(edit, &QLineEdit::textChanged, edit, refit);
    else if (auto* combo = qobject_cast<QComboBox*>(&control))
        QObject::connect(combo, &QComboBox::currentTextChanged, combo, refit);
}

void keepTextClearOf(QLineEdit& box, const QWidget& cover) {
    QWidget* window = box.window();
    const QRect boxPlace(box.mapTo(window, QPoint(0, 0)), box.size());
    const QRect coverPlace(cover.mapTo(window, QPoint(0, 0)), cover.size());
    const QRect covered = boxPlace.intersected(coverPlace);
    // The box's own inner margin may lie under the cover: the text then
    // ends where the cover begins.
    const int right =
        covered.isEmpty()
            ? 0
            : std::max(0, boxPlace.right() - covered.left() + 1 - kLineEditInnerMargin);
    box.setTextMargins(0, 0, right, 0);
    box.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fitTextToBox(box);
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
