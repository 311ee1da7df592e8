#include "platform/desktop/qt/window_messages.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include "platform/desktop/qt/edit_commands.h"
#include "platform/desktop/qt/item_view_messages.h"
#include "platform/desktop/qt/window_handles.h"

namespace tlvx::desktop {

namespace {

enum : qint32 {
    kSetText = 0x000C,
    kClose = 0x0010,
    kUndo = 0x00C7,
    kCut = 0x0300,
    kCopy = 0x0301,
    kPaste = 0x0302,
    kClear = 0x0303,
    kSetHorizontalExtent = 0x0194,
    kSetTreeBackground = 0x111D,
    kSetColumnWidth = 0x101E,
};

void handle(const WindowMessage& message) {
    QWidget* widget = widgetOf(message.handle);
    if (!widget) return;
    switch (message.message) {
        case kSetText:
            if (message.text) setWidgetText(*widget, *message.text);
            break;
        case kClose:
            widget->close();
            break;
        case kUndo:
            runEditCommand(*widget, EditCommand::Undo);
            break;
        case kCut:
            runEditCommand(*widget, EditCommand::Cut);
            break;
        case kCopy:
            runEditCommand(*widget, EditCommand::Copy);
            break;
        case kPaste:
            runEditCommand(*widget, EditCommand::Paste);
            break;
        case kClear:
            runEditCommand(*widget, EditCommand::Clear);
            break;
        case kSetHorizontalExtent:
            setHorizontalExtent(*widget, message.paramA);
            break;
        case kSetTreeBackground:
            if (message.number) setTreeBackground(*widget, *message.number);
            break;
        case kSetColumnWidth:
            if (message.number) setColumnWidth(*widget, message.paramA, *message.number);
            break;
        default:
            break;
    }
}

}  // namespace

void deliverMessage(const WindowMessage& message, bool posted) {
    if (!posted && guiAvailable()) {
        handle(message);
        return;
    }
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QCoreApplication::closingDown()) return;
    QMetaObject::invokeMethod(
        app,
        [message] {
            if (guiAvailable()) handle(message);
        },
        Qt::QueuedConnection);
}

}  // namespace tlvx::desktop
