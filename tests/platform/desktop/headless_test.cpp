// The dialogs in a process without any application object: a script or
// tlvx-count asking for a file. This program does not link Qt.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/desktop/dialogs.h"

namespace {

using namespace tlvx::platform::desktop;

bool loaded(const char* library) {
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

void expectNotShown() {
    const auto cwd = std::filesystem::current_path();
    OpenFileRequest open;
    open.title = u"Open";
    open.filterPairs = std::u16string(u"VB6 Project (*.vbp)\0*.vbp", 25);
    open.fileMustExist = open.pathMustExist = true;
    const OpenFileResult opened = openFileDialog(open);
    EXPECT_FALSE(opened.shown);
    EXPECT_FALSE(opened.accepted);
    EXPECT_TRUE(opened.paths.empty());

    SaveFileRequest save;
    save.proposedName = u"Listing";
    save.defaultExtension = u"txt";
    save.promptOverwrite = true;
    const SaveFileResult saved = saveFileDialog(save);
    EXPECT_FALSE(saved.shown);
    EXPECT_FALSE(saved.accepted);
    EXPECT_TRUE(saved.path.empty());
    EXPECT_EQ(std::filesystem::current_path(), cwd);
}

// Must run before the next test, which loads Qt into the process for good.
TEST(DesktopDialogsWithoutApplication, CannotBeShownAndLoadNoQt) {
    if (loaded(TLVX_QT_WIDGETS_SONAME)) GTEST_SKIP() << "Qt Widgets was loaded by an earlier test";
    expectNotShown();
    EXPECT_FALSE(loaded(TLVX_QT_WIDGETS_SONAME));
    EXPECT_FALSE(loaded(TLVX_DESKTOP_LIBRARY));
}

TEST(DesktopDialogsWithoutApplication, CannotBeShownWhenQtIsLoadedWithoutApplication) {
    // As in a process that uses Qt for something else and made no
    // application object: the desktop library is loaded and must refuse.
    ASSERT_NE(dlopen(TLVX_QT_WIDGETS_SONAME, RTLD_NOW | RTLD_GLOBAL), nullptr) << dlerror();
    expectNotShown();
    EXPECT_TRUE(loaded(TLVX_DESKTOP_LIBRARY));
}

}  // namespace
