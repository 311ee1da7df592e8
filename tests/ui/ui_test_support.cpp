#include "tests/ui/ui_test_support.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/support/temp_dir.h"

namespace tlvx::test {
namespace {

namespace fs = std::filesystem;

// The application of the test program, its Qt settings and runtime files in
// a folder of its own, and the stand-in for xdg-open first on PATH, so that
// no test ever starts a browser or a mail program.
class WindowTestEnvironment : public testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<TempDir>();
        setenv("XDG_CONFIG_HOME", (home_->path() / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home_->path() / "data").c_str(), 1);
        fs::create_directory(home_->path() / "runtime");
        fs::permissions(home_->path() / "runtime", fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (home_->path() / "runtime").c_str(), 1);

        const std::string log = (home_->path() / "opened").string();
        const auto opener =
            home_->write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n");
        fs::permissions(opener, fs::perms::owner_all);
        const char* path = std::getenv("PATH");
        const std::string newPath =
            (home_->path() / "bin").string() + (path ? ":" + std::string(path) : std::string());
        setenv("PATH", newPath.c_str(), 1);
        logFile() = log;

        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        home_.reset();
    }

    static std::string& logFile() {
        static std::string file;
        return file;
    }

private:
    int argc_ = 1;
    char name_[9] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<TempDir> home_;
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new WindowTestEnvironment);

QPushButton* confirmButton(QFileDialog* dialog) {
    const auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!box) return nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return qobject_cast<QPushButton*>(button);
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> openedAddresses() {
    std::vector<std::string> lines;
    std::ifstream in(WindowTestEnvironment::logFile());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void forgetOpenedAddresses() {
    std::error_code ec;
    fs::remove(WindowTestEnvironment::logFile(), ec);
}

std::vector<std::string> waitForOpenedAddresses(std::size_t count,
                                                std::chrono::milliseconds patience) {
    QElapsedTimer clock;
    clock.start();
    auto lines = openedAddresses();
    while (lines.size() < count && clock.elapsed() < patience.count()) {
        processEventsFor(std::chrono::milliseconds(20));
        lines = openedAddresses();
    }
    return lines;
}

void processEventsFor(std::chrono::milliseconds time) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < time.count()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

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

bool typeAndConfirm(QFileDialog* dialog, const QString& path) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QPushButton* button = confirmButton(dialog);
    EXPECT_TRUE(name && button);
    if (!name || !button) return rejectLater(dialog);
    name->setText(path);
    if (!button->isEnabled()) return false;
    clickLater(button);
    return true;
}

QString proposedName(QFileDialog* dialog) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return name ? name->text() : QString();
}

}  // namespace tlvx::test
