#include "program/ui/picture_button.h"

#include <QKeySequence>

namespace tlvx::ui {

PictureButton::PictureButton(int index, const QString& caption, const QIcon& picture,
                             const QString& toolTip, QWidget* parent)
    : QPushButton(parent), index_(index) {
    setObjectName(QStringLiteral("sbt%1").arg(index));
    setCaption(caption);
    setIcon(picture);
    setToolTip(toolTip);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { emit clickedIndex(index_); });
}

void PictureButton::setCaption(const QString& caption) {
    setText(caption);
    // setText binds the caption's mnemonic as a shortcut; the window's own
    // key table is the one place keys are matched.
    setShortcut(QKeySequence());
}

}  // namespace tlvx::ui
