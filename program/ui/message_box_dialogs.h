#pragma once
// The message boxes of the history and export paths as Qt's own message
// boxes, modal over a window and titled with the application's title.

#include <QPointer>
#include <QWidget>

#include "program/history/message_boxes.h"

namespace tlvx::ui {

class MessageBoxDialogs : public history::MessageBoxes {
public:
    // The boxes are shown over the modal window that is open, else over
    // `owner`'s window (none once it is gone).
    explicit MessageBoxDialogs(QWidget* owner = nullptr) : owner_(owner) {}

    void information(const std::string& text) override;
    void warning(const std::string& text) override;
    // Yes is the default button; Escape answers Cancel.
    Answer question(const std::string& text) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace tlvx::ui
