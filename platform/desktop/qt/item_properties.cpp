#include "platform/desktop/qt/item_properties.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include "platform/desktop/qt/window_handles.h"

namespace tlvx::desktop {

void showItemProperties(const QString& path) {
    if (!guiAvailable() || path.isEmpty()) return;
    const QFileInfo item(path);
    if (!item.exists() && !item.isSymLink()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    const QString uri = QUrl::fromLocalFile(item.absoluteFilePath()).toString(QUrl::FullyEncoded);
    // No startup notification id: the file manager's window comes up as it
    // likes.
    call << QStringList{uri} << QString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) bus.send(call);
}

}  // namespace tlvx::desktop
