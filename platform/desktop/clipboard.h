#pragma once
// Text on the desktop's clipboard, for callers that must not depend on Qt
// (the work is done in libtlvxdesktop.so, see platform/desktop/loader.h).
// Only a QApplication's thread reaches the clipboard; elsewhere, or without
// the desktop library, there is no clipboard.

#include <string>

namespace tlvx::platform::desktop {

// Puts `text` up to its first NUL on the clipboard, for this and other
// programs; false where there is no clipboard.
bool setClipboardText(const std::u16string& text) noexcept;

// The clipboard's text up to its first NUL; the empty string when it holds
// no text or there is no clipboard. Throws std::bad_alloc when the text
// cannot be held.
std::u16string clipboardText();

}  // namespace tlvx::platform::desktop
