#pragma once
// Window handles as the library's callers hold them: the window id of a
// widget of this process (QWidget::winId()), a 32-bit value handed round as
// a signed number. And whether widgets may be touched here and now.

#include <QString>
#include <QtGlobal>

class QWidget;

namespace tlvx::desktop {

// A QApplication exists, is not shutting down, and this is its thread.
bool guiAvailable();

// The widget whose window id is `handle`; null for 0 and for an id that
// names no widget of this process.
QWidget* widgetOf(qint32 handle);

// The window of the widget whose window id is `handle`, as a dialog's
// owner; null when none is.
QWidget* ownerWindow(qint32 handle);

// The widget's window id as a handle; the widget gets a native window if
// it had none.
qint32 handleOf(QWidget* widget);

// A top-level window of this process whose title is exactly `title`: the
// active window first, then shown windows, then hidden ones; null if none.
// Pop-ups, tool tips and the desktop are no windows here.
QWidget* topLevelWindowTitled(const QString& title);

}  // namespace tlvx::desktop
