// The dialogs in a process whose application object is a QCoreApplication:
// Qt is there, widgets are not, so no dialog can be shown.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include "platform/desktop_dialogs.h"

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
}

}  // namespace
