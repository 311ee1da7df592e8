#pragma once
// What the window tests share: one QApplication on the offscreen platform
// for the whole program, a stand-in for the desktop's address opener and
// message boxes that tests answer; modal windows are answered by the
// shared ModalDriver.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QString>
#include <QWidget>

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "program/history/message_boxes.h"
#include "tests/support/modal_driver.h"

namespace tlvx::test {

// The addresses handed to the desktop so far (the stand-in for xdg-open
// that the test program puts first on PATH records them, one a line).
std::vector<std::string> openedAddresses();
void forgetOpenedAddresses();
// Waits (running the event loop) until `count` addresses were handed over,
// and gives them sorted: the openers run detached and finish in any order.
std::vector<std::string> waitForOpenedAddresses(
    std::size_t count, std::chrono::milliseconds patience = std::chrono::seconds(30));
// The texts sorted, to compare with what waitForOpenedAddresses gives.
std::vector<std::string> sortedTexts(std::vector<std::string> texts);

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

}  // namespace tlvx::test
