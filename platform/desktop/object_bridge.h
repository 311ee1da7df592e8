#pragma once
// The automation object of a Qt object of this process: any QObject (a
// window, a widget, an action) offered through IDispatch by member name,
// so that late-bound callers such as the GenFuns window methods work on a
// Qt program's own windows. What each kind of object offers is listed in
// platform/desktop/qt/object_members.h and the README.
//
// Usage, from the thread of the program's QApplication:
//
//     IDispatch* form = nullptr;
//     if (SUCCEEDED(TlvxQtObjectDispatch(&window, &form))) {
//         genFuns->SetMenuCaption(&form, menusFile);
//         form->Release();
//     }
//
// The object holds the QObject weakly: once the QObject is destroyed, every
// call answers CO_E_OBJNOTCONNECTED.

#include "include/tallyvex/ole_types.h"

inline constexpr HRESULT CO_E_OBJNOTCONNECTED = static_cast<HRESULT>(0x800401FDu);
inline constexpr HRESULT RPC_E_WRONG_THREAD = static_cast<HRESULT>(0x8001010Eu);

// `qobject` is a QObject* of this process. E_POINTER for null arguments,
// RPC_E_WRONG_THREAD where there is no QApplication or this is not its
// thread (Qt is never loaded for the call).
TLVX_AUTOMATION_API HRESULT TlvxQtObjectDispatch(void* qobject, IDispatch** result) noexcept;
