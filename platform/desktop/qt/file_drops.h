#pragma once
// Files dropped on widgets, behind drop handles. A widget that takes
// dropped files accepts a drag that carries local files; the drop is kept
// in a table under a new handle, and the widget's dynamic property "hDrop"
// is set to that handle (Qt tells the widget with a
// QDynamicPropertyChangeEvent), as a Windows window learns of a drop from
// its message. A drop stays in the table until it is taken, its widget is
// destroyed or a later drop on the same widget replaces it.

#include <QString>
#include <QtGlobal>

class QWidget;

namespace tlvx::desktop {

// The name of the dynamic property that carries the handle of the latest
// drop.
inline constexpr char kDropHandleProperty[] = "hDrop";

// On the application's thread.
void acceptFileDrops(QWidget& widget, bool accept);

// The first file of the drop, or the empty string; the handle no longer
// names the drop afterwards. From any thread.
QString takeFirstDroppedFile(qint32 dropHandle);

}  // namespace tlvx::desktop
