#pragma once
// The editing commands a window message asks of a text widget: a line
// edit (also the one of an editable selector or a spin box), a text edit or
// a plain text edit. Other widgets pass them over.

#include <QString>

class QWidget;

namespace tlvx::desktop {

enum class EditCommand { Undo, Cut, Copy, Paste, Clear };

// Undo takes the edit's last change back; asked again while nothing
// changed since, it takes the undo back, as an edit with one undo level
// does. Cut, paste and clear leave a read-only edit alone; cut and copy a
// password box. Clear removes the selection without touching the
// clipboard.
void runEditCommand(QWidget& widget, EditCommand command);

// The text of an edit, label, button, group box or editable selector, or
// the title of a window; up to its first NUL character.
void setWidgetText(QWidget& widget, const QString& text);

}  // namespace tlvx::desktop
