#include "platform/desktop/qt/file_icons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QMimeDatabase>
#include <QWidget>

namespace tlvx::desktop {

namespace {

constexpr char kIconLabelName[] = "fileIcon";

}  // namespace

QIcon fileIcon(const QString& path) {
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists()) return {};
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) icon = QFileIconProvider().icon(file);
    return icon;
}

void showIconAtCorner(QWidget& target, const QIcon& icon, int size) {
    const QString name = QString::fromLatin1(kIconLabelName);
    auto* label = target.findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
    if (!label) {
        label = new QLabel(&target);
        label->setObjectName(name);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    label->setPixmap(icon.pixmap(QSize(size, size), target.devicePixelRatioF()));
    label->setGeometry(0, 0, size, size);
    label->raise();
    label->show();
}

}  // namespace tlvx::desktop
