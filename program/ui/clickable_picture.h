#pragma once
// A picture that does something when clicked, with a pointer that marks it
// as clickable.

#include <QLabel>

namespace tlvx::ui {

class ClickablePicture : public QLabel {
    Q_OBJECT

public:
    ClickablePicture(const QPixmap& picture, const QString& toolTip, QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace tlvx::ui
