#pragma once
// What the window tests share: one QApplication on the offscreen platform
// for the whole program, a stand-in for the desktop's address opener, a
// driver that answers modal windows as they come up, message boxes that
// tests answer, and the pieces of a file dialog a user types into.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "program/history/message_boxes.h"

namespace tlvx::test {

// The addresses handed to the desktop so far (the stand-in for xdg-open
// that the test program puts first on PATH records them, one a line).
std::vector<std::string> openedAddresses();
void forgetOpenedAddresses();
// Waits (running the event loop) until `count` addresses were handed over.
std::vector<std::string> waitForOpenedAddresses(
    std::size_t count, std::chrono::milliseconds patience = std::chrono::seconds(5));

// Runs the event loop for a while.
void processEventsFor(std::chrono::milliseconds time);

// Answers the questions from a script (Yes when the script is out) and
// records every box as "i:", "w:" or "q:" and its text.
struct ScriptedMessages : history::MessageBoxes {
    std::deque<Answer> answers;
    std::vector<std::string> shown;

    void information(const std::string& text) override { shown.push_back("i:" + text); }
    void warning(const std::string& text) override { shown.push_back("w:" + text); }
    Answer question(const std::string& text) override {
        shown.push_back("q:" + text);
        if (answers.empty()) return Answer::Yes;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Answers the modal windows that come up, one step after the other. A step
// is for one kind of window; it returns true when done with it, false to be
// asked again on the next tick. What a step does to a window should be
// queued (see the helpers below), so that no nested event loop runs inside
// the timer. A modal window no step answers within five seconds is
// rejected and the test fails; so does a step whose window never came up.
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
// Types `path` into a file dialog's name box and presses Open or Save.
bool typeAndConfirm(QFileDialog* dialog, const QString& path);
// The name a save dialog proposes (its name box).
QString proposedName(QFileDialog* dialog);

}  // namespace tlvx::test
