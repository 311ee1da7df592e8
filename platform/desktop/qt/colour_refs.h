#pragma once
// Colours as the library's callers give them: 0x00BBGGRR, red in the low
// byte. The top byte is not read.

#include <QColor>
#include <QtGlobal>

namespace tlvx::desktop {

inline QColor colourOfRef(quint32 ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

inline quint32 refOfColour(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return static_cast<quint32>(rgb.red()) | static_cast<quint32>(rgb.green()) << 8 |
           static_cast<quint32>(rgb.blue()) << 16;
}

}  // namespace tlvx::desktop
