// The window services on a real X server (a private Xvfb display): handles
// are the windows' X ids, messages reach them, a drop on a window yields its
// file, and the clipboard carries text between two programs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <memory>

#include "Morcel_TLVX.h"
#include "tests/support/announcing_process.h"
#include "tests/support/automation_values.h"
#include "tests/support/object_ref.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_dir.h"
#include "tests/support/widget_handle.h"

// Under the leak sanitizer: Qt's X11 platform leaves a block of the D-Bus
// library behind when a shown window ends the program's session (not a
// leak of ours).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace {

using namespace tlvx::test;

constexpr int kGenerousWaitMs = 60000;

std::unique_ptr<AnnouncingProcess> xServer;

// The application comes up on a display of its own.
class ApplicationOnPrivateDisplay : public QtApplicationEnvironment {
protected:
    void prepare(const TempDir&) override {
        xServer = std::make_unique<AnnouncingProcess>(std::vector<std::string>{
            "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (xServer->announcement().empty()) return;  // the tests fail, offscreen
        setenv("DISPLAY", (":" + xServer->announcement()).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        unsetenv("QT_QPA_PLATFORMTHEME");
        unsetenv("SESSION_MANAGER");
    }
    void TearDown() override {
        QtApplicationEnvironment::TearDown();
        xServer.reset();
    }
};

[[maybe_unused]] testing::Environment* const kApplication =
    testing::AddGlobalTestEnvironment(new ApplicationOnPrivateDisplay);

class OnXServer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "Xvfb did not start";
        ASSERT_EQ(api.create(CLSID_APIFuns, IID__APIFuns), S_OK);
    }

    // Runs a program to its end while this one goes on serving its windows
    // and clipboard; its standard output, whatever its exit status.
    static QString outputOf(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted(kGenerousWaitMs));
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; },
                                    kGenerousWaitMs))
            << program.toStdString() << " did not end";
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // Last, so that the object goes before the folders and settings it used.
    ObjectRef<_APIFuns> api;
};

TEST_F(OnXServer, WindowHandlesAreTheXWindowIds) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tallyvex handle test"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kGenerousWaitMs));
    LONG found = 0;
    EXPECT_EQ(api->FindWindowTitle(Bstr(u"Tallyvex handle test").get(), &found), S_OK);
    EXPECT_EQ(found, handleOf(window));
    // What the X server knows reaches it once this program's requests are
    // flushed, which its event loop does: asked again until it has.
    const auto xdotool = [](const QStringList& arguments) {
        return outputOf(QStringLiteral("timeout"),
                        QStringList{QStringLiteral("30"), QStringLiteral("xdotool")} + arguments);
    };
    QString listed;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            listed = xdotool({QStringLiteral("search"), QStringLiteral("--name"),
                              QStringLiteral("^Tallyvex handle test$")});
            return listed.split(u'\n').contains(QString::number(found));
        },
        kGenerousWaitMs))
        << listed.toStdString();

    // A title sent to the window is the one the X server has.
    Var title;
    title.v = str(u"Renamed by message");
    EXPECT_EQ(api->SendMsg(found, 0x0C, 0, title.v), S_OK);
    QString name;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            name = xdotool({QStringLiteral("getwindowname"), QString::number(found)});
            return name == QStringLiteral("Renamed by message");
        },
        kGenerousWaitMs))
        << name.toStdString();
}

TEST_F(OnXServer, ADroppedFileReachesDropFiles) {
    TempDir dir;
    const auto file = dir.write("Dropped here.vbp", "Type=Exe\r\n");
    QLabel target(QStringLiteral("Drop files here"));
    target.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&target, kGenerousWaitMs));
    EXPECT_EQ(api->AcceptDragFiles(handleOf(target), 1), S_OK);
    // The drop as the window system delivers it to the window (xdotool
    // cannot drag between programs).
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
    QDragEnterEvent enter(QPoint(3, 3), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(3, 3), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    Bstr first;
    EXPECT_EQ(api->DropFiles(target.property("hDrop").toInt(), first.inOut()), S_OK);
    EXPECT_EQ(first.text(), file.u16string());
}

TEST_F(OnXServer, ClipboardTextFromAndForAnotherProgram) {
    const QString text = QStringLiteral("Zähler – 100 % \u20AC");
    // Another program puts it there and holds it.
    QProcess peer;
    peer.start(QStringLiteral(TLVX_CLIPBOARD_PEER), {QStringLiteral("put"), text});
    ASSERT_TRUE(peer.waitForStarted(kGenerousWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.canReadLine(); }, kGenerousWaitMs))
        << peer.readAllStandardError().toStdString();
    EXPECT_EQ(peer.readLine().trimmed(), "ready");
    Bstr read;
    EXPECT_EQ(api->GetClipboardText(read.inOut()), S_OK);
    EXPECT_EQ(read.text(), text.toStdU16String());
    peer.closeWriteChannel();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return peer.state() == QProcess::NotRunning; }, kGenerousWaitMs));

    // This program puts one there, up to its NUL, and the other reads it.
    EXPECT_EQ(api->SetClipboardText(Bstr(std::u16string(u"from here\0not this", 18)).get()), S_OK);
    EXPECT_EQ(outputOf(QStringLiteral(TLVX_CLIPBOARD_PEER), {QStringLiteral("get")}), "from here");
}

}  // namespace
