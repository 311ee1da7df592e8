#include "platform/desktop/qt/clipboard_text.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/desktop/qt/window_handles.h"

namespace tlvx::desktop {

namespace {

QString upToNul(const QString& text) {
    return text.left(text.indexOf(QChar(u'\0')));
}

}  // namespace

bool putClipboardText(const QString& text) {
    if (!guiAvailable()) return false;
    QGuiApplication::clipboard()->setText(upToNul(text), QClipboard::Clipboard);
    return true;
}

std::optional<QString> clipboardText() {
    if (!guiAvailable()) return std::nullopt;
    return upToNul(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
}

}  // namespace tlvx::desktop
