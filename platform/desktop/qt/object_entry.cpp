#include "platform/desktop/qt/object_entry.h"

#include <QCoreApplication>
#include <QThread>

#include "platform/desktop/qt/qobject_dispatch.h"

namespace tlvx::desktop {
namespace {

bool onApplicationThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

void* objectDispatchEntry(void* object) noexcept {
    try {
        if (!object || !onApplicationThread()) return nullptr;
        return dispatchOf(static_cast<QObject*>(object));
    } catch (...) {
        return nullptr;
    }
}

void processPendingEventsEntry() noexcept {
    try {
        if (onApplicationThread()) QCoreApplication::processEvents();
    } catch (...) {
    }
}

}  // namespace tlvx::desktop
