#pragma once
// frmPubAbout: the product and its makers, with their logos and a donation
// button, each leading to a page through the main window's address opener.

#include <QDialog>

#include <functional>
#include <string>

namespace tlvx::ui {

class AboutWindow : public QDialog {
    Q_OBJECT

public:
    using OpenAddress = std::function<void(const std::string& address)>;

    // A modal window over `owner`. A `historyPlace` (the version history's
    // folder, given when it lies elsewhere than beside the program) is shown
    // under the rights line.
    AboutWindow(OpenAddress openAddress, QWidget* owner, const QString& historyPlace = {});

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void openLink(const std::string& address);

    OpenAddress openAddress_;
    QSize fixedSize_;
};

}  // namespace tlvx::ui
