#pragma once
// The kinds of window controls a late-bound caller tells apart by
// QueryInterface, as Basic's TypeOf does: an object that is a menu item, a
// toolbar or a status bar answers the kind's interface identifier (with its
// IDispatch, which is all it offers). The toolbar's and the status bar's
// are the common controls' own; the menu item's is ours.

#include "include/tallyvex/ole_types.h"

// {C2E8C444-F8FD-4BE9-895C-ADA8A825525E}
inline constexpr IID IID_TlvxMenuItem = {
    0xC2E8C444, 0xF8FD, 0x4BE9, {0x89, 0x5C, 0xAD, 0xA8, 0xA8, 0x25, 0x52, 0x5E}};
// {6A29A8E8-A405-4F0E-AA35-5DA0C5EF1FB3}
inline constexpr IID IID_TlvxToolbar = {
    0x6A29A8E8, 0xA405, 0x4F0E, {0xAA, 0x35, 0x5D, 0xA0, 0xC5, 0xEF, 0x1F, 0xB3}};
// {F3989B78-3371-488B-97D5-DDE39E74FFB9}
inline constexpr IID IID_TlvxStatusBar = {
    0xF3989B78, 0x3371, 0x488B, {0x97, 0xD5, 0xDD, 0xE3, 0x9E, 0x74, 0xFF, 0xB9}};
