#pragma once
// The general functions of the library's GenFuns class: the character sets
// the system knows, web colour notation, captions and tool tips of a
// window's controls from text files, a membership test, list column
// widths, a file count, a shortcut check, the system temporary folder and
// English weekday and month abbreviations. No method throws; a failure
// gives the empty result.
//
// The window methods work on the caller's own window objects, called late
// by member name (a Qt program hands its windows over through the object
// bridge, TlvxQtObjectDispatch):
//   form      Name, Controls (Count, Item(i) from 0)
//   control   Name, Index (members of a control array only), Caption,
//             ToolTipText; menu items answer IID_TlvxMenuItem, toolbars
//             IID_TlvxToolbar, status bars IID_TlvxStatusBar
//   toolbar   Buttons, status bar Panels (Count, Item(i) from 1, each with
//             ToolTipText)
//   list view View, ListItems (Count), ColumnHeaders (Count, Item(i) from
//             1, each with Width and Tag), hwnd

#include <cstdint>
#include <filesystem>
#include <string>

#include "include/tallyvex/ole_types.h"

namespace tlvx::library {

class GenFuns {
public:
    // Each code page of the system's database as "BodyCharset | Description",
    // joined by " || "; empty when there is none.
    std::u16string GetCharsetList() noexcept;
    // "#RRGGBB" of a colour with red in its lowest byte.
    std::u16string LongToHTMLColor(int32_t color) noexcept;

    // Sets the captions of the menu items of `target` from the INI file
    // `menusFile` (or "menus.dll" beside the library when that names no
    // file): section the form's Name, key the item's Name (with "(Index)"
    // for a control array member). Items without a value keep their caption.
    void SetMenuCaption(IDispatch* target, const std::u16string& menusFile) noexcept;
    // Sets the tool tips of the controls of `target`, and of the buttons
    // of its toolbars and the panels of its status bars ("tbr.Buttons(1)",
    // "sbr.Panels(2)"), from `tipsFile` (or "tips.dll" beside the library).
    // A missing value clears the tip.
    void SetTip(IDispatch* target, const std::u16string& tipsFile) noexcept;

    // Whether the array holds a value equal to `target` (the runtime's
    // VarCmp, letter case significant); null or empty: false.
    bool InVar(const VARIANT& target, SAFEARRAY* varList) noexcept;
    // Fits the columns of a list in report view with rows to their
    // contents, no narrower than the number a column header's Tag holds.
    void AdjListColWid(IDispatch* target) noexcept;

    // The files in the folder and all folders below it, each real folder
    // counted once; -1 for a blank path, a path that names no folder or a
    // folder that cannot be read. A subfolder that cannot be read counts
    // nothing. The caller's window events are handled once per folder.
    int32_t GetFilesQty(const std::u16string& path) noexcept;
    // Whether the shortcut (a desktop entry or a symbolic link) leads to an
    // existing file or folder.
    bool CheckShortcut(const std::u16string& shortcut) noexcept;
    // The system-wide TMP of the registry store with "%SystemRoot%" replaced
    // by the Windows folder; empty when it cannot be read.
    std::u16string GetSysTempPath() noexcept;

    // "Sun" to "Sat" for 1 to 7, "Jan" to "Dec" for 1 to 12; empty else.
    std::u16string GetEnglishWeekday(int16_t weekSN) noexcept;
    std::u16string GetEnglishShortMonth(int16_t monthSN) noexcept;
};

}  // namespace tlvx::library
