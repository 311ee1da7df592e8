#pragma once
// What the three windows share in their look: positions in twips, the font,
// the dark green of the texts, and the fixed size of a window.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

#include <initializer_list>

class QLabel;
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
// lose its end. The control's font then shrinks, a quarter point at a
// time down to 6 pt, until its text fits its box (a wrapping label: its
// lines fit the box's height).
void fitTextToBox(QWidget& control);

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
