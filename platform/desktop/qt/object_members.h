#pragma once
// The members a Qt object offers as an automation object, named as a Basic
// program's forms and controls name them.
//
// Every object:
//   Name         objectName; for a member of a control array the name
//                without its index ("sbt7" with index 7 is "sbt")
//   Index        a control array member's number: the object's "index"
//                property (declared or dynamic); objects without one have
//                no Index
//   any Qt property of the object, by its own name
// Widgets and actions:
//   Caption      the "caption" property where the class declares one, else
//                the text of an action, button or label, the title of a
//                menu or group box, the window title of a window
//   ToolTipText  toolTip (not for menus and menu items, which have none)
//   Visible, Enabled; Checked for a checkable action
// Widgets:
//   Controls     the window's controls: its named widgets and the named
//                actions in its menus, in the order Qt keeps them (each
//                object's children in order of creation, depth first), not
//                those of other windows within it; names "qt_..." are Qt's
//                own parts. Items from 0.
//   hwnd         the window id (QWidget::winId(); the widget becomes
//                native)
//   Text         the text of a line or text edit, a combo box's text
// Menus (QMenu) and actions in a menu or menu bar are menu items
// (IID_TlvxMenuItem).
// Toolbars (QToolBar, IID_TlvxToolbar): Buttons, its actions in order
// (separators included), items from 1 with Caption, ToolTipText, Key
// (objectName), Visible, Enabled.
// Status bars (QStatusBar, IID_TlvxStatusBar): Panels, the widgets added to
// it in the order added, items from 1 with ToolTipText, Text (of a label),
// Visible.
// Item views (QAbstractItemView):
//   View         3 (report) for a table or tree whose header is shown, 0
//                (icon) for a list view in icon mode, else 2 (list)
//   ListItems    Count: the rows below the view's root
//   ColumnHeaders  the model's columns, items from 1, each with Width (the
//                section's size in pixels), Tag (the header's Qt::UserRole
//                data, as text), Text (the header's text) and Index

#include <QObject>

#include <memory>

#include "platform/desktop/qt/qobject_dispatch.h"

namespace tlvx::desktop {

// The node of a control, window or action.
std::unique_ptr<BridgeNode> objectNode(QObject* object);

}  // namespace tlvx::desktop
