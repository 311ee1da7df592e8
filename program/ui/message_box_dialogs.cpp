#include "program/ui/message_box_dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace tlvx::ui {
namespace {

// Over the modal window that is open (the history window asks over itself),
// else over the owner's window.
QWidget* parentFor(QWidget* owner) {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return owner ? owner->window() : nullptr;
}

QMessageBox::StandardButton ask(QWidget* owner, QMessageBox::Icon icon, const std::string& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton,
                                QMessageBox::StandardButton escapeButton) {
    QMessageBox box(icon, QString::fromUtf8(history::kApplicationTitle),
                    QString::fromStdString(text), buttons, parentFor(owner));
    box.setObjectName(QStringLiteral("msgbox"));
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escapeButton);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    auto* clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : escapeButton;
}

}  // namespace

void MessageBoxDialogs::information(const std::string& text) {
    ask(owner_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxDialogs::warning(const std::string& text) {
    ask(owner_, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

history::MessageBoxes::Answer MessageBoxDialogs::question(const std::string& text) {
    switch (ask(owner_, QMessageBox::Question, text,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

}  // namespace tlvx::ui
