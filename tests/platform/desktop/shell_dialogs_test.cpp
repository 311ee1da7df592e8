// The colour and folder dialogs as a user meets them, answered by a timer,
// and the clipboard, on the offscreen platform through the loader.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QMimeData>

#include "platform/desktop/clipboard.h"
#include "platform/desktop/shell_dialogs.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_dir.h"
#include "tests/support/widget_handle.h"

namespace {

using namespace tlvx::platform::desktop;
using namespace tlvx::test;
namespace fs = std::filesystem;

bool chooseLater(QColorDialog* dialog, const QColor& colour) {
    dialog->setCurrentColor(colour);
    QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
    return true;
}

TEST(ColourDialog, ChosenColourCancelAndBlack) {
    QWidget owner;
    owner.show();
    ModalDriver driver;
    driver
        .on<QColorDialog>([&owner](QColorDialog* dialog) {
            EXPECT_EQ(dialog->parentWidget(), &owner);
            EXPECT_EQ(dialog->currentColor(), QColor(Qt::black)) << "starts at black";
            return chooseLater(dialog, QColor(0x12, 0x34, 0x56));
        })
        .on<QColorDialog>([](QColorDialog* dialog) { return rejectLater(dialog); })
        .on<QColorDialog>([](QColorDialog* dialog) { return chooseLater(dialog, Qt::black); });
    EXPECT_EQ(chooseColour(handleOf(owner)), std::optional<std::uint32_t>(0x563412));
    EXPECT_EQ(chooseColour(handleOf(owner)), std::nullopt);
    EXPECT_EQ(chooseColour(0), std::optional<std::uint32_t>(0)) << "black, told from a cancel";
}

TEST(ColourDialog, CustomColoursStartBlackAndAreForgotten) {
    QColorDialog::setCustomColor(0, QColor(Qt::green));
    ModalDriver driver;
    driver
        .on<QColorDialog>([](QColorDialog* dialog) {
            for (int i = 0; i < QColorDialog::customCount(); ++i)
                EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::black)) << i;
            QColorDialog::setCustomColor(1, QColor(Qt::red));  // as the user adds one
            return rejectLater(dialog);
        })
        .on<QColorDialog>([](QColorDialog* dialog) {
            EXPECT_EQ(QColorDialog::customColor(1), QColor(Qt::black));
            return rejectLater(dialog);
        });
    chooseColour(0);
    chooseColour(0);
    EXPECT_EQ(QColorDialog::customColor(0), QColor(Qt::green)) << "the application's own";
    EXPECT_NE(QColorDialog::customColor(1), QColor(Qt::red));
}

TEST(FolderDialog, ChosenFolderOrNothing) {
    TempDir temp;
    fs::create_directories(temp / "projects/Billing");
    CurrentDirGuard startIn(temp / "projects");
    ModalDriver driver;
    driver
        .on<QFileDialog>([](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Where are the projects?");
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            return typeAndConfirm(dialog, QStringLiteral("Billing"));
        })
        .on<QFileDialog>([](QFileDialog* dialog) { return rejectLater(dialog); });
    EXPECT_EQ(chooseFolder(0, u"Where are the projects?"), (temp / "projects/Billing").u16string());
    EXPECT_EQ(fs::current_path(), temp / "projects") << "the current directory stays";
    EXPECT_EQ(chooseFolder(0, u"Again"), u"");
}

TEST(Clipboard, TextUpToItsFirstNul) {
    ASSERT_TRUE(setClipboardText(u"Grüße, €5"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Grüße, €5"));
    EXPECT_EQ(clipboardText(), u"Grüße, €5");

    ASSERT_TRUE(setClipboardText(std::u16string(u"seen\0hidden", 11)));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("seen"));
    // Text with a NUL put there by another program is cut as well.
    QApplication::clipboard()->setText(QString::fromUtf16(u"before\0after", 12));
    EXPECT_EQ(clipboardText(), u"before");

    ASSERT_TRUE(setClipboardText(u""));
    EXPECT_EQ(clipboardText(), u"");
    // No text at all (a picture only): the empty text.
    auto* picture = new QMimeData;
    picture->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
    QApplication::clipboard()->setMimeData(picture);
    EXPECT_EQ(clipboardText(), u"");
}

}  // namespace
