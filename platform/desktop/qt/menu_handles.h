#pragma once
// Menu bars and menus behind handles of this process's own table: a menu
// keeps its handle for as long as it lives, and a handle is never given to
// another menu while it does. Only the application's thread uses the
// table.

#include <QtGlobal>

class QWidget;

namespace tlvx::desktop {

// The menu bar of a window (a QMainWindow's, the one of a window's layout,
// or one that is a direct child of the window); 0 for a widget that is no
// window, or a window without a menu bar.
qint32 menuBarHandleOf(QWidget& window);

// The menu that opens from item `position` of a menu bar or menu (0 the
// first, separators counted); 0 if there is none.
qint32 subMenuHandleOf(qint32 menuHandle, int position);

// The item at `position` gets the radio mark, every other item of the menu
// loses its mark (positions 0 to 9999, as far as the menu reaches). A
// position outside the menu, or a separator, changes nothing. The item's
// own action group is kept; an item without one joins an exclusive group
// of its menu so that it is drawn with a radio mark.
void checkRadioItem(qint32 menuHandle, int position);

}  // namespace tlvx::desktop
