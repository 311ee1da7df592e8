#pragma once
// Values across the desktop library's C table: texts in and out, dialog
// outcomes.

#include <QString>

#include <cstddef>

#include "platform/desktop/desktop_abi.h"
#include "platform/desktop/qt/file_dialogs.h"

namespace tlvx::desktop {

inline QString qText(const TlvxText& text) {
    if (!text.data || text.length == 0) return {};
    return QString::fromUtf16(text.data, static_cast<qsizetype>(text.length));
}

// Hands a text to the caller's sink, which copies it.
inline void deliverText(const QString& text, TlvxPathSink sink, void* context) {
    sink(context, reinterpret_cast<const char16_t*>(text.utf16()),
         static_cast<std::size_t>(text.size()));
}

inline TlvxDialogOutcome abiOutcome(DialogOutcome outcome) {
    switch (outcome) {
        case DialogOutcome::Accepted:
            return TlvxDialogAccepted;
        case DialogOutcome::Cancelled:
            return TlvxDialogCancelled;
        case DialogOutcome::NotShown:
            break;
    }
    return TlvxDialogNotShown;
}

}  // namespace tlvx::desktop
