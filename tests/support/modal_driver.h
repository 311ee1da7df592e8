#pragma once
// Answers the modal windows a test brings up (file dialogs, message boxes,
// the program's own windows), one step after the other, from a timer, and
// the queued actions such a step takes. Needs a QApplication.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <vector>

namespace tlvx::test {

// A step is for one kind of window; it returns true when done with it,
// false to be asked again on the next tick. What a step does to a window
// should be queued (see the helpers below), so that no nested event loop
// runs inside the timer. A modal window no step answers within five seconds
// is rejected and the test fails; so does a step whose window never came up.
class ModalDriver {
public:
    ModalDriver();
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    template <typename Window, typename Step>
    ModalDriver& on(Step step) {
        steps_.push_back([step](QWidget* modal) {
            auto* window = qobject_cast<Window*>(modal);
            return window && step(window);
        });
        return *this;
    }
    bool done() const { return next_ == steps_.size(); }

private:
    void tick();

    QTimer timer_;
    std::vector<std::function<bool(QWidget*)>> steps_;
    std::size_t next_ = 0;
    int waited_ = 0;
};

// Queued actions on a modal window.
void clickLater(QAbstractButton* button);
bool rejectLater(QDialog* dialog);

// A file dialog's name box and its Open or Save button.
QLineEdit* nameBox(QFileDialog* dialog);
QPushButton* confirmButton(QFileDialog* dialog);
// Types `path` into the name box and presses Open or Save; false (asked
// again) while the button is disabled.
bool typeAndConfirm(QFileDialog* dialog, const QString& path);
// The name a save dialog proposes (its name box).
QString proposedName(QFileDialog* dialog);

}  // namespace tlvx::test
