// Qt's message boxes as the history and export paths show them: the
// application's title, the icon and buttons of each kind, and the answers.

#include <QMessageBox>
#include <QTest>

#include "program/ui/message_box_dialogs.h"
#include "tests/ui/ui_test_support.h"

namespace tlvx::test {
namespace {

using Answer = history::MessageBoxes::Answer;

// Checks a box and presses one of its buttons, or Escape.
auto answerWith(QMessageBox::Icon icon, QMessageBox::StandardButtons buttons, const char* text,
                std::optional<QMessageBox::StandardButton> press) {
    return [=](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Tallyvex"));
        EXPECT_EQ(box->icon(), icon);
        EXPECT_EQ(box->standardButtons(), buttons);
        EXPECT_EQ(box->text(), QString::fromUtf8(text));
        EXPECT_EQ(QApplication::activeModalWidget(), box);
        if (press) {
            clickLater(box->button(*press));
        } else {
            QTimer::singleShot(0, box, [box] { QTest::keyClick(box, Qt::Key_Escape); });
        }
        return true;
    };
}

TEST(MessageBoxDialogs, ShowTheirKindAndGiveTheAnswer) {
    ui::MessageBoxDialogs boxes;
    {
        ModalDriver driver;
        driver.on<QMessageBox>(
            answerWith(QMessageBox::Information, QMessageBox::Ok, "Noted.", QMessageBox::Ok));
        boxes.information("Noted.");
    }
    {
        ModalDriver driver;
        driver.on<QMessageBox>(
            answerWith(QMessageBox::Warning, QMessageBox::Ok, "In use.", QMessageBox::Ok));
        boxes.warning("In use.");
    }
    const auto yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const std::pair<std::optional<QMessageBox::StandardButton>, Answer> cases[] = {
        {QMessageBox::Yes, Answer::Yes},
        {QMessageBox::No, Answer::No},
        {QMessageBox::Cancel, Answer::Cancel},
        {std::nullopt, Answer::Cancel},  // Escape
    };
    for (const auto& [press, expected] : cases) {
        ModalDriver driver;
        driver.on<QMessageBox>(answerWith(QMessageBox::Question, yesNoCancel, "Sure?", press));
        EXPECT_EQ(boxes.question("Sure?"), expected);
    }
}

TEST(MessageBoxDialogs, AskOverTheOpenModalWindow) {
    QWidget owner;
    owner.show();
    QDialog modal(&owner);
    modal.setModal(true);
    modal.show();
    ui::MessageBoxDialogs boxes(&owner);
    ModalDriver driver;
    driver.on<QMessageBox>([&](QMessageBox* box) {
        EXPECT_EQ(box->parentWidget(), &modal);
        clickLater(box->button(QMessageBox::Ok));
        return true;
    });
    boxes.information("Over the modal window.");
}

}  // namespace
}  // namespace tlvx::test
