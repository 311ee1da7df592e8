#pragma once
// What the three windows share in their look: positions in twips, the font,
// the dark green of the texts, and the fixed size of a window.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

#include <initializer_list>

class QLabel;
class QLineEdit;
class QWidget;

namespace tlvx::ui {

// The windows were laid out in twips, 15 to a pixel at 96 dpi.
constexpr int twips(int value) {
    return (value + 7) / 15;
}
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Dark green (red 0, green 128, blue 0): the colour of the program's texts.
inline const QColor kDarkGreen{0, 128, 0};

// Tahoma 8.25 pt where the machine has it, else the desktop's own
// sans-serif at that size.
QFont windowFont();
QFont boldWindowFont();

// Green text, optionally bold, on the widget's own background.
void makeGreen(QWidget& widget, bool bold);

// Green text on the button-face colour, as the read-only boxes show it.
void makeGreenOnButtonFace(QWidget& widget, bool bold);

// The boxes were laid out for Tahoma 8.25 pt; in a wider font a text would
// lose its end. The control's font then shrinks from its designed size, a
// quarter point at a time down to 8 pt, until its whole text fits the room
// its box gives it (a box's text margins and frame left out; a wrapping
// label: its lines fit the box's height). A text that does not fit even at
// 8 pt ends in a visible ellipsis ("…") and is shown whole as the control's
// tool tip, unless the control has a tool tip of its own. A box that has
// the focus shows its whole text, to be scrolled and selected.
void fitTextToBox(QWidget& control);

// The smallest size a text is given.
inline constexpr double kSmallestTextPointSize = 8.0;

// The text a control shows now: its whole text, or the shortened one with
// its ellipsis (a wrapping label: its lines joined by spaces).
QString visibleText(const QWidget& control);
bool showsEllipsis(const QWidget& control);

// Fits the text of a box or selector again whenever it changes.
void keepTextFitted(QWidget& control);

// A box whose right part lies under `cover` (a control raised over it, as
// the designed places overlap): its text stands right-aligned in the part
// left uncovered.
void keepTextClearOf(QLineEdit& box, const QWidget& cover);

// The width a box or selector needs to show `text` whole in its font, its
// frame, margins and arrow included.
int widthForText(const QWidget& control, const QString& text);

// Controls that read as one group show their texts in one size: the
// smallest that fitting left to any of them.
void shareSmallestFont(std::initializer_list<QWidget*> group);

// A label that sizes to its text: `font`, as wide as the text but at least
// `minWidth`, and ending at `maxRight` at the most, where its font shrinks
// to fit.
void sizeToText(QLabel& label, const QFont& font, int minWidth, int maxRight);

// A window that opens takes `classic`, its designed client size, where the
// available area of its screen holds it with its frame, else as much as
// that area holds; it is moved wholly onto that area.
void fitWindowToScreen(QWidget& window, QSize classic);

// The client size that ends `margin` twips right of and below `lastRight`
// and `lastBottom` (pixels): the windows size themselves by their controls.
QSize clientSizeAround(int lastRight, int lastBottom, int marginTwips = 90);

// The window's content at its designed places goes on the pane this makes:
// it fills the window and scrolls when the window is smaller than
// `leastSize`.
QWidget* addScrollingPane(QWidget& window, QSize leastSize);

}  // namespace tlvx::ui
