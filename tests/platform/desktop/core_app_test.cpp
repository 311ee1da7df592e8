// The dialogs in a process whose application object is a QCoreApplication:
// Qt is there, widgets are not, so no dialog can be shown and no window
// reached.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include "platform/desktop/clipboard.h"
#include "platform/desktop/dialogs.h"
#include "platform/desktop/shell_dialogs.h"
#include "platform/desktop/windows.h"

namespace {

using namespace tlvx::platform::desktop;

TEST(DesktopDialogsWithCoreApplication, CannotBeShown) {
    int argc = 1;
    char name[] = "desktop_core_app_tests";
    char* argv[] = {name, nullptr};
    const QCoreApplication app(argc, argv);
    // Keeps Qt Widgets linked: it is what the platform library looks for.
    ASSERT_EQ(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);

    OpenFileRequest open;
    open.title = u"Open";
    open.multiSelect = true;
    const OpenFileResult opened = openFileDialog(open);
    EXPECT_FALSE(opened.shown);
    EXPECT_TRUE(opened.paths.empty());

    SaveFileRequest save;
    save.proposedName = u"Listing";
    const SaveFileResult saved = saveFileDialog(save);
    EXPECT_FALSE(saved.shown);
    EXPECT_TRUE(saved.path.empty());

    // Nor can the other window services reach anything.
    EXPECT_EQ(chooseColour(0), std::nullopt);
    EXPECT_EQ(chooseFolder(0, u"Where?"), u"");
    EXPECT_FALSE(setClipboardText(u"text"));
    EXPECT_EQ(clipboardText(), u"");
    EXPECT_EQ(findTopLevelWindow(u""), 0);
    sendMessage(1, 0x0C, 0, MessageParam{std::nullopt, u"text"});
    postMessage(1, 0x10, 0, MessageParam::ofNumber(0));
    QCoreApplication::processEvents();
}

}  // namespace
