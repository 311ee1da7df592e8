#pragma once
// The column header of a list or table view in colours of the caller's
// choice, and back in its own.

#include <QColor>

class QWidget;

namespace tlvx::desktop {

// Colours the sections of the column header of `view` (a QTreeView's
// header, a QTableView's horizontal header, or a QHeaderView itself):
// background and text. The header's own colours are kept until
// restoreHeaderColours; colouring again keeps them still. False when the
// widget has no column header.
bool colourHeaderSections(QWidget& view, const QColor& background, const QColor& text);
void restoreHeaderColours(QWidget& view);

}  // namespace tlvx::desktop
