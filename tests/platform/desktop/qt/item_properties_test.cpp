// The file manager's properties window, asked for over a session bus of the
// test's own, where the test itself answers as the file manager.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>

#include <memory>
#include <vector>

#include "Morcel_TLVX.h"
#include "platform/desktop/shell_dialogs.h"
#include "tests/support/automation_values.h"
#include "tests/support/private_session_bus.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace tlvx::test;
namespace fs = std::filesystem;

std::unique_ptr<PrivateSessionBus> sessionBus;

// The application comes up with the test's own bus as its session bus.
class ApplicationOnPrivateBus : public QtApplicationEnvironment {
protected:
    void prepare(const TempDir& home) override {
        sessionBus = std::make_unique<PrivateSessionBus>(home / "bus");
        if (!sessionBus->address().empty())
            setenv("DBUS_SESSION_BUS_ADDRESS", sessionBus->address().c_str(), 1);
    }
    void TearDown() override {
        QtApplicationEnvironment::TearDown();
        sessionBus.reset();
    }
};

[[maybe_unused]] testing::Environment* const kApplication =
    testing::AddGlobalTestEnvironment(new ApplicationOnPrivateBus);

struct Request {
    QString member;
    QVariantList arguments;
};

// Answers for org.freedesktop.FileManager1 and writes the requests down.
class FakeFileManager final : public QDBusVirtualObject {
public:
    std::vector<Request> requests;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QStringLiteral("org.freedesktop.FileManager1")) return false;
        requests.push_back({message.member(), message.arguments()});
        connection.send(message.createReply());
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

class ItemProperties : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sessionBus && !sessionBus->address().empty())
            << "dbus-daemon did not start (scripts/install_deps.sh installs it)";
        bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(sessionBus->address()), QStringLiteral("file-manager")));
        ASSERT_TRUE(bus->isConnected());
        ASSERT_TRUE(bus->registerService(QStringLiteral("org.freedesktop.FileManager1")));
        ASSERT_TRUE(bus->registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"),
                                               &fileManager));
        project = temp.write("My Project.vbp", "Type=Exe\r\n");
    }
    void TearDown() override {
        if (!bus) return;
        bus->unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
        bus->unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
        bus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    }

    // Waits for the next request, generously: the bus is a process of its own.
    bool nextRequest() {
        const std::size_t before = seen;
        if (!QTest::qWaitFor([&] { return fileManager.requests.size() > before; }, 30000))
            return false;
        ++seen;
        return true;
    }
    const Request& last() const { return fileManager.requests.at(seen - 1); }

    static QString uriOf(const fs::path& path) {
        return QStringLiteral("file://") + QString::fromStdString(path.string())
                                               .replace(QStringLiteral(" "), QStringLiteral("%20"));
    }

    TempDir temp;
    fs::path project;
    FakeFileManager fileManager;
    std::unique_ptr<QDBusConnection> bus;
    std::size_t seen = 0;
};

TEST_F(ItemProperties, TheFileManagerIsAskedForTheItem) {
    tlvx::platform::desktop::showItemProperties(0, project.u16string());
    ASSERT_TRUE(nextRequest());
    EXPECT_EQ(last().member, "ShowItemProperties");
    ASSERT_EQ(last().arguments.size(), 2);
    EXPECT_EQ(last().arguments.at(0).toStringList(), QStringList{uriOf(project)});
    EXPECT_EQ(last().arguments.at(1).toString(), "");
}

TEST_F(ItemProperties, NothingIsAskedForANameThatNamesNothing) {
    tlvx::platform::desktop::showItemProperties(0, (temp / "missing.vbp").u16string());
    tlvx::platform::desktop::showItemProperties(0, u"");
    // The next request to arrive is the one after them.
    tlvx::platform::desktop::showItemProperties(0, temp.path().u16string());
    ASSERT_TRUE(nextRequest());
    EXPECT_EQ(last().arguments.at(0).toStringList(), QStringList{uriOf(temp.path())});
}

TEST_F(ItemProperties, TheLibraryNamesTheItemTheWindowsWay) {
    void* object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_APIFuns, nullptr, CLSCTX_INPROC_SERVER, IID__APIFuns, &object),
              S_OK);
    auto* api = static_cast<_APIFuns*>(object);
    CurrentDirGuard cwd(temp.path());
    EXPECT_EQ(api->ShowFileFolderProperties(0, Bstr(u".\\MY PROJECT.VBP").get()), S_OK);
    EXPECT_EQ(api->ShowFileFolderProperties(0, Bstr(u"Nothing.vbp").get()), S_OK);
    api->Release();
    ASSERT_TRUE(nextRequest());
    EXPECT_EQ(last().arguments.at(0).toStringList(), QStringList{uriOf(project)});
}

}  // namespace
