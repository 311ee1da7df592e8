#pragma once
// Window messages turned into the widgets' own operations (the list of
// messages is in platform/desktop/windows.h).

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tlvx::desktop {

struct WindowMessage {
    qint32 handle = 0;
    qint32 message = 0;
    qint32 paramA = 0;
    std::optional<qint32> number;  // the second parameter as a number
    std::optional<QString> text;   // ... and as a text
};

// Handles a sent message at once on the application's thread. A posted
// message, and a message from another thread, is queued to the application
// and handled when its event loop runs next; without an application it is
// dropped.
void deliverMessage(const WindowMessage& message, bool posted);

}  // namespace tlvx::desktop
