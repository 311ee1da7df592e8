#pragma once
// What the window messages for lists, trees and list views ask of Qt's
// item views.

#include <QtGlobal>

class QWidget;

namespace tlvx::desktop {

// A list (QListView, QListWidget) scrolls sideways over at least `extent`
// pixels, however narrow its items; 0 or less: only over its items.
void setHorizontalExtent(QWidget& widget, int extent);

// A tree's (QTreeView's) background, 0x00BBGGRR; -1 gives back the one it
// had before the first change.
void setTreeBackground(QWidget& widget, qint32 colour);

// Column `column` of a list or table view (QTreeView, QTableView) gets
// `width` pixels; -1 fits it to its items, -2 to its items and its header
// title. Other widths, and columns the view does not have, change nothing.
void setColumnWidth(QWidget& widget, int column, int width);

}  // namespace tlvx::desktop
