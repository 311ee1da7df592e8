#pragma once
// A read-only box that shows a text the program wrote. When it gets the
// focus, by key or by mouse, its whole text is selected, so that it can be
// copied at once.

#include <QLineEdit>

namespace tlvx::ui {

class PropertyBox : public QLineEdit {
    Q_OBJECT

public:
    explicit PropertyBox(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace tlvx::ui
