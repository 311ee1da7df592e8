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
// quarter point at a time down to 6 pt, until its whole text fits the room
// its box gives it (a box's text margins and frame left out; a wrapping
// label: its lines fit the box's height). A text that does not fit even at
// 6 pt is shown whole as the control's tool tip, unless the control has a
// tool tip of its own.
void fitTextToBox(QWidget& control);

// Fits the text of a box or selector again whenever it changes.
void keepTextFitted(QWidget& control);

// A box whose right part lies under `cover` (a control raised over it, as
// the designed places overlap): its text stands right-aligned in the part
// left uncovered, and fits that part.
void keepTextClearOf(QLineEdit& box, const QWidget& cover);

// Controls that read as one group show their texts in one size: the
// smallest that fitting left to any of them.
void shareSmallestFont(std::initializer_list<QWidget*> group);

// A label that sizes to its text: `font`, as wide as the text but at least
// `minWidth`, and ending at `maxRight` at the most, where its font shrinks
// to fit.
void sizeToText(QLabel& label, const QFont& font, int minWidth, int maxRight);

// The client size that ends `margin` twips right of and below `lastRight`
// and `lastBottom` (pixels): the windows size themselves by their controls.
QSize clientSizeAround(int lastRight, int lastBottom, int marginTwips = 90);

}  // namespace tlvx::ui
