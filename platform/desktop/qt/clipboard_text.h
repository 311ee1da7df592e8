#pragma once
// Text on the desktop's clipboard (not the selection).

#include <QString>

#include <optional>

namespace tlvx::desktop {

// Puts the text up to its first NUL on the clipboard, as what other
// programs read of it; false where there is no application here and now.
bool putClipboardText(const QString& text);

// The clipboard's text, up to its first NUL; nothing where there is no
// application here and now. No text on the clipboard is the empty text.
std::optional<QString> clipboardText();

}  // namespace tlvx::desktop
