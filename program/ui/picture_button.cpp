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

std::vector<PictureButton*> addPictureButtons(QWidget& parent,
                                              std::span<const PictureButtonPlace> places) {
    std::vector<PictureButton*> buttons;
    for (const PictureButtonPlace& place : places) {
        auto* button =
            new PictureButton(place.index, QString::fromUtf8(place.caption), picture(place.picture),
                              QString::fromUtf8(place.toolTip), &parent);
        button->setGeometry(place.geometry);
        buttons.push_back(button);
    }
    return buttons;
}

}  // namespace tlvx::ui
