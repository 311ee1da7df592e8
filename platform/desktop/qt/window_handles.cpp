#include "platform/desktop/qt/window_handles.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

namespace tlvx::desktop {

namespace {

bool isWindowProper(const QWidget* widget) {
    switch (widget->windowType()) {
        case Qt::Popup:
        case Qt::ToolTip:
        case Qt::Desktop:
            return false;
        default:
            return widget->isWindow();
    }
}

// The title as the window shows it: Qt's "[*]" placeholder stands for a
// "*" while the window is modified and for nothing otherwise.
QString shownTitle(const QWidget* widget) {
    QString title = widget->windowTitle();
    title.replace(QStringLiteral("[*]"),
                  widget->isWindowModified() ? QStringLiteral("*") : QString());
    return title;
}

}  // namespace

bool guiAvailable() {
    const auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && !QCoreApplication::closingDown() && QThread::currentThread() == app->thread();
}

QWidget* widgetOf(qint32 handle) {
    if (handle == 0) return nullptr;
    return QWidget::find(static_cast<WId>(static_cast<quint32>(handle)));
}

QWidget* ownerWindow(qint32 handle) {
    QWidget* widget = widgetOf(handle);
    return widget ? widget->window() : nullptr;
}

qint32 handleOf(QWidget* widget) {
    return widget ? static_cast<qint32>(static_cast<quint32>(widget->winId())) : 0;
}

QWidget* topLevelWindowTitled(const QString& title) {
    QWidget* shown = nullptr;
    QWidget* hidden = nullptr;
    QWidget* const active = QApplication::activeWindow();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!isWindowProper(widget) || shownTitle(widget) != title) continue;
        if (widget == active) return widget;
        QWidget*& slot = widget->isVisible() ? shown : hidden;
        if (!slot) slot = widget;
    }
    return shown ? shown : hidden;
}

}  // namespace tlvx::desktop
