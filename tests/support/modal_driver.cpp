#include "tests/support/modal_driver.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QMetaObject>

namespace tlvx::test {

ModalDriver::ModalDriver() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start(20);
}

ModalDriver::~ModalDriver() {
    EXPECT_TRUE(done()) << "a window never came up (step " << next_ << " of " << steps_.size()
                        << ")";
}

void ModalDriver::tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (next_ < steps_.size() && steps_[next_](modal)) {
        ++next_;
        waited_ = 0;
        return;
    }
    if (++waited_ < 250) return;
    ADD_FAILURE() << "nobody answered " << modal->metaObject()->className() << " \""
                  << modal->windowTitle().toStdString() << "\"";
    QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    waited_ = 0;
}

void clickLater(QAbstractButton* button) {
    EXPECT_NE(button, nullptr);
    if (button) QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

bool rejectLater(QDialog* dialog) {
    QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
    return true;
}

QLineEdit* nameBox(QFileDialog* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QPushButton* confirmButton(QFileDialog* dialog) {
    const auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!box) return nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return qobject_cast<QPushButton*>(button);
    }
    return nullptr;
}

bool typeAndConfirm(QFileDialog* dialog, const QString& path) {
    QLineEdit* name = nameBox(dialog);
    QPushButton* button = confirmButton(dialog);
    EXPECT_TRUE(name && button);
    if (!name || !button) return rejectLater(dialog);
    // Typed as a user types: into the focused box, which the dialog then
    // leaves as it is when it selects the listed files the text names.
    dialog->activateWindow();
    QElapsedTimer clock;
    clock.start();
    do {
        name->setFocus(Qt::OtherFocusReason);
        if (name->hasFocus()) break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (clock.elapsed() < 10000);
    name->setText(path);
    if (!button->isEnabled()) return false;
    clickLater(button);
    return true;
}

QString proposedName(QFileDialog* dialog) {
    const QLineEdit* name = nameBox(dialog);
    return name ? name->text() : QString();
}

}  // namespace tlvx::test
