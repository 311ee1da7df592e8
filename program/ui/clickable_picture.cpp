#include "program/ui/clickable_picture.h"

#include <QCursor>
#include <QMouseEvent>

namespace tlvx::ui {

ClickablePicture::ClickablePicture(const QPixmap& picture, const QString& toolTip, QWidget* parent)
    : QLabel(parent) {
    setPixmap(picture);
    setScaledContents(true);  // the picture is stretched to the box
    setToolTip(toolTip);
    setCursor(Qt::PointingHandCursor);
}

void ClickablePicture::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickablePicture::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release of the left button over the picture.
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) emit clicked();
}

}  // namespace tlvx::ui
