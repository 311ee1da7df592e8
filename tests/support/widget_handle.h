#pragma once
// A widget's handle as the library's callers hold it: its window id, a
// 32-bit value handed round as a signed number.

#include <QWidget>

#include <cstdint>

namespace tlvx::test {

inline std::int32_t handleOf(QWidget& widget) {
    return static_cast<std::int32_t>(static_cast<quint32>(widget.winId()));
}

}  // namespace tlvx::test
