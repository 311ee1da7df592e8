#pragma once
// A button with a caption, a picture and a tool tip that tells, when
// clicked, its index in the window's array of such buttons. Its object name
// is "sbt" followed by the index ("sbt0", "sbt7"), and the index is also its
// "index" property; "caption" is its caption as setCaption sets it.
//
// A caption's "&" marks its letter underlined but binds no key: each window
// matches its keys in one place, with the modifier state exact.

#include <QIcon>
#include <QPushButton>
#include <QRect>
#include <QString>

#include <span>
#include <vector>

#include "program/ui/pictures.h"

namespace tlvx::ui {

class PictureButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int index READ index CONSTANT)
    Q_PROPERTY(QString caption READ text WRITE setCaption)

public:
    PictureButton(int index, const QString& caption, const QIcon& picture, const QString& toolTip,
                  QWidget* parent);

    int index() const { return index_; }
    void setCaption(const QString& caption);

signals:
    void clickedIndex(int index);

private:
    int index_;
};

// One button of a window's array as the window's layout table places it.
struct PictureButtonPlace {
    int index;
    QRect geometry;
    const char* caption;  // UTF-8
    Picture picture;
    const char* toolTip;  // UTF-8
};

// Makes the buttons of a layout table on `parent`, in the table's order.
std::vector<PictureButton*> addPictureButtons(QWidget& parent,
                                              std::span<const PictureButtonPlace> places);

}  // namespace tlvx::ui
