#include "program/ui/property_box.h"

#include <QFocusEvent>
#include <QTimer>

namespace tlvx::ui {

PropertyBox::PropertyBox(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
}

void PropertyBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    selectAll();
    // A click that gave the focus goes on to put the cursor where it
    // landed; the selection is made again once it has.
    if (event->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, this, [this] {
            if (hasFocus()) selectAll();
        });
}

}  // namespace tlvx::ui
