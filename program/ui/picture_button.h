#pragma once
// A button with a caption, a picture and a tool tip that tells, when
// clicked, its index in the window's array of such buttons. Its object name
// is "sbt" followed by the index ("sbt0", "sbt7"), and the index is also its
// "index" property.
//
// A caption's "&" marks its letter underlined but binds no key: each window
// matches its keys in one place, with the modifier state exact.

#include <QIcon>
#include <QPushButton>
#include <QString>

namespace tlvx::ui {

class PictureButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int index READ index CONSTANT)

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

}  // namespace tlvx::ui
