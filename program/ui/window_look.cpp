#include "program/ui/window_look.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

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

constexpr qreal kSmallestPointSize = kSmallestTextPointSize;
constexpr qreal kPointStep = 0.25;
// The properties a fitted control keeps: the size it was designed with,
// and whether its tool tip is the fit's.
constexpr const char* kDesignedSize = "tlvxDesignedPointSize";
constexpr const char* kToolTipIsText = "tlvxToolTipIsText";
// Set while the text does not fit and is drawn shortened.
constexpr const char* kElided = "tlvxElided";
constexpr const char* kHasEllipsisPainter = "tlvxHasEllipsisPainter";

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

QStyleOptionFrame lineEditOption(const QLineEdit& edit) {
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
    return option;
}

// Where a line edit draws its text.
QRect lineEditTextRect(const QLineEdit& edit) {
    const QStyleOptionFrame option = lineEditOption(edit);
    const QRect contents =
        edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    const QMargins margins = edit.textMargins();
    return contents.adjusted(margins.left() + kLineEditInnerMargin, margins.top(),
                             -margins.right() - kLineEditInnerMargin, -margins.bottom());
}

int lineEditRoom(const QLineEdit& edit) {
    return lineEditTextRect(edit).width();
}

QStyleOptionComboBox comboOption(const QComboBox& combo) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.frame = combo.hasFrame();
    option.currentText = combo.currentText();
    option.subControls = QStyle::SC_All;
    return option;
}

int comboRoom(const QComboBox& combo) {
    const QStyleOptionComboBox option = comboOption(combo);
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

// A wrapping label's lines, as many as its height holds, the last one
// ending in an ellipsis.
QStringList wrappedLines(const QLabel& label) {
    const QRect room = label.contentsRect();
    const QFontMetrics metrics(label.font());
    const int maxLines = std::max(1, room.height() / std::max(1, metrics.lineSpacing()));
    const QString text = label.text();
    QTextLayout layout(text, label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room.width());
        if (lines.size() == maxLines - 1) {
            lines.append(
                metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, room.width()));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

// What a button gives its caption: its width less what its picture and
// margins take.
int buttonTextRoom(const QAbstractButton& button) {
    const QString text = shownText(button);
    const int around = button.sizeHint().width() - button.fontMetrics().horizontalAdvance(text);
    return std::max(0, button.width() - around);
}

// The control's text shortened to its room, with its ellipsis.
QString elidedText(const QWidget& control) {
    const QFontMetrics metrics(control.font());
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        if (label->wordWrap()) return wrappedLines(*label).join(u' ');
        return metrics.elidedText(label->text(), Qt::ElideRight, label->contentsRect().width());
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control))
        return metrics.elidedText(inkOf(edit->text(), edit->alignment()).trimmed(), Qt::ElideRight,
                                  lineEditRoom(*edit) - kLineEditTextSlack);
    if (const auto* combo = qobject_cast<const QComboBox*>(&control))
        return metrics.elidedText(combo->currentText(), Qt::ElideRight, comboRoom(*combo));
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return metrics.elidedText(shownText(control), Qt::ElideRight, buttonTextRoom(*button));
    return shownText(control);
}

void paintLabel(QLabel& label) {
    QPainter painter(&label);
    painter.setFont(label.font());
    const QRect room = label.contentsRect();
    const Qt::Alignment horizontal = label.alignment() & Qt::AlignHorizontal_Mask;
    if (label.wordWrap()) {
        painter.setPen(label.palette().color(label.foregroundRole()));
        const int spacing = label.fontMetrics().lineSpacing();
        int top = room.top();
        for (const QString& line : wrappedLines(label)) {
            painter.drawText(QRect(room.left(), top, room.width(), spacing),
                             horizontal | Qt::AlignTop, line);
            top += spacing;
        }
        return;
    }
    label.style()->drawItemText(&painter, room, static_cast<int>(label.alignment()),
                                label.palette(), label.isEnabled(), elidedText(label),
                                label.foregroundRole());
}

void paintLineEdit(QLineEdit& edit) {
    QPainter painter(&edit);
    const QStyleOptionFrame option = lineEditOption(edit);
    edit.style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, &edit);
    painter.setFont(edit.font());
    painter.setPen(edit.palette().color(QPalette::Text));
    painter.drawText(
        lineEditTextRect(edit),
        static_cast<int>((edit.alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter),
        elidedText(edit));
}

void paintCombo(QComboBox& combo) {
    QStylePainter painter(&combo);
    QStyleOptionComboBox option = comboOption(combo);
    option.currentText = elidedText(combo);
    option.currentIcon = combo.itemIcon(combo.currentIndex());
    option.iconSize = combo.iconSize();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void paintButton(QAbstractButton& button) {
    QStylePainter painter(&button);
    QStyleOptionButton option;
    option.initFrom(&button);
    option.state |= button.isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    if (button.isChecked()) option.state |= QStyle::State_On;
    option.text = elidedText(button);
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    painter.drawControl(QStyle::CE_PushButton, option);
}

// Draws a control's text shortened, with its ellipsis, while it does not
// fit; a box with the focus draws itself, whole and scrollable.
class EllipsisPainter : public QObject {
public:
    explicit EllipsisPainter(QWidget& control) : QObject(&control) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->property(kElided).toBool()) return false;
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            paintLabel(*label);
        } else if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            if (edit->hasFocus()) return false;
            paintLineEdit(*edit);
        } else if (auto* combo = qobject_cast<QComboBox*>(watched)) {
            paintCombo(*combo);
        } else if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
            paintButton(*button);
        } else {
            return false;
        }
        return true;
    }
};

void showEllipsis(QWidget& control, bool elided) {
    if (elided && !control.property(kHasEllipsisPainter).toBool()) {
        control.installEventFilter(new EllipsisPainter(control));
        control.setProperty(kHasEllipsisPainter, true);
    }
    if (control.property(kElided).toBool() != elided) {
        control.setProperty(kElided, elided);
        control.update();
    }
}

}  // namespace

QString visibleText(const QWidget& control) {
    return control.property(kElided).toBool() ? elidedText(control) : shownText(control);
}

bool showsEllipsis(const QWidget& control) {
    return control.property(kElided).toBool();
}

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
    const bool fits = textFits(control);
    showWholeTextAsToolTip(control, fits);
    showEllipsis(control, !fits);
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
}

int widthForText(const QWidget& control, const QString& text) {
    const qreal advance = QFontMetricsF(control.font()).horizontalAdvance(text);
    const int needed = static_cast<int>(std::ceil(advance));
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control))
        return edit->width() - lineEditRoom(*edit) + needed + kLineEditTextSlack;
    if (const auto* combo = qobject_cast<const QComboBox*>(&control)) {
        // What Qt itself gives a selector for this one text, if that is more.
        QComboBox probe;
        probe.setFont(combo->font());
        probe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
        probe.addItem(text);
        return std::max(combo->width() - comboRoom(*combo) + needed, probe.sizeHint().width());
    }
    return needed;
}

void fitWindowToScreen(QWidget& window, QSize classic) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    // Before the window is first shown its frame is not known yet.
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize size = classic.boundedTo(available.size() - frame).expandedTo(window.minimumSize());
    if (window.size() != size) window.resize(size);
    const QRect outer(window.frameGeometry().topLeft(), size + frame);
    const int x =
        std::max(available.left(), std::min(outer.left(), available.right() + 1 - outer.width()));
    const int y =
        std::max(available.top(), std::min(outer.top(), available.bottom() + 1 - outer.height()));
    if (QPoint(x, y) != outer.topLeft()) window.move(x, y);
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

QWidget* addScrollingPane(QWidget& window, QSize leastSize) {
    auto* scroll = new QScrollArea(&window);
    scroll->setObjectName(QStringLiteral("paneScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("pane"));
    pane->setMinimumSize(leastSize);
    scroll->setWidget(pane);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    return pane;
}

}  // namespace tlvx::ui
