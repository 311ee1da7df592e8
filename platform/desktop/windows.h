#pragma once
// The windows of this process as the library's window methods reach them,
// for callers that must not depend on Qt (the work is done in
// libtlvxdesktop.so, see platform/desktop/loader.h).
//
// A window handle is the window id of a widget of this process
// (QWidget::winId(), a 32-bit value handed round as a signed number); a
// handle that names no widget is passed over. Menus and drops have handles
// of their own, from tables of the desktop library. Everything gives its
// empty result (0, the empty string, nothing done) where there is no
// QApplication, on a thread other than the application's (except that a
// message is then queued), or when the desktop library cannot be loaded.

#include <cstdint>
#include <optional>
#include <string>

namespace tlvx::platform::desktop {

// The second parameter of a message. It is a number for every message but
// "set text", which takes a text.
struct MessageParam {
    std::optional<std::int32_t> number;
    std::optional<std::u16string> text;

    static MessageParam ofNumber(std::int32_t value) { return {value, std::nullopt}; }
};

// The messages a window understands here, each turned into the widget's
// own operation:
//   0x000C set text: the text of an edit, label, button or editable
//          selector, or a window's title;
//   0x0010 close: the widget's close();
//   0x00C7 undo: an edit's last change undone; sent again right after, the
//          undo is taken back (an edit of one undo level);
//   0x0300 cut, 0x0301 copy, 0x0302 paste, 0x0303 clear (the selection):
//          an edit's own commands, refused by a read-only edit (only copy)
//          and by a password box (all but paste and clear);
//   0x0194 horizontal extent: a list scrolls sideways over at least
//          paramA pixels (0: only as wide as its items);
//   0x111D background colour: a tree's background, the colour in the
//          second parameter (0x00BBGGRR; -1 the default);
//   0x101E column width: column paramA of a list or table view gets the
//          second parameter's width in pixels; -1 fits it to its items'
//          contents, -2 to its contents and its header.
// Any other message, a handle that names no widget and a message the
// widget has no counterpart for are dropped.
void sendMessage(std::int32_t handle, std::int32_t message, std::int32_t paramA,
                 const MessageParam& paramB) noexcept;
// The same, handled once the application's event loop runs next; from any
// thread.
void postMessage(std::int32_t handle, std::int32_t message, std::int32_t paramA,
                 const MessageParam& paramB) noexcept;

// The handle of a top-level window of this process whose title is exactly
// `title` (the active window first, then shown ones), 0 if none. Pop-ups
// and tool tips are no windows here.
std::int32_t findTopLevelWindow(const std::u16string& title) noexcept;

// The menu bar of the window `windowHandle`, 0 if it has none; the menu
// that opens from item `position` (0 the first, separators counted) of a
// menu bar or menu, 0 if none. Such menu handles stay the same for a menu
// as long as it lives.
std::int32_t menuBarOf(std::int32_t windowHandle) noexcept;
std::int32_t subMenuOf(std::int32_t menuHandle, std::int32_t position) noexcept;
// Item `position` of a menu gets the radio mark, every other item of the
// menu loses its mark; a position outside the menu changes nothing.
void checkRadioMenuItem(std::int32_t menuHandle, std::int32_t position) noexcept;

// Lets the widget `windowHandle` take (or no longer take) files dropped on
// it. A drop of files gives a drop handle, which the widget learns from its
// dynamic property "hDrop" (an int, set anew for every drop, so that the
// widget gets a QDynamicPropertyChangeEvent); the drop holds the dropped
// local files in the order of the drag. Until it is taken, a drop is kept
// as long as its widget lives and no later drop on it came.
void acceptDroppedFiles(std::int32_t windowHandle, bool accept) noexcept;
// The first file of the drop, or the empty string; the drop is released
// either way, its handle no longer names it.
std::u16string takeFirstDroppedFile(std::int32_t dropHandle) noexcept;

// Colours the column header of the list or table view `viewHandle`:
// background and text colour as 0x00BBGGRR. The header's colours as they
// were are kept until restoreHeader. False when the handle names no view
// with a column header.
bool colourHeader(std::int32_t viewHandle, std::uint32_t background, std::uint32_t text) noexcept;
void restoreHeader(std::int32_t viewHandle) noexcept;

// Shows the desktop's icon for the file at the top left corner of two
// widgets (by window id): 16 by 16 pixels in the first, 32 by 32 in the
// second, each in a child label named "fileIcon" that a later icon
// replaces. A file that does not exist shows nothing.
void showFileIcon(const std::u16string& path, std::int32_t smallTarget,
                  std::int32_t largeTarget) noexcept;

}  // namespace tlvx::platform::desktop
