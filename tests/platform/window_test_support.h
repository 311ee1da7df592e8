#pragma once
// For the tests of the window services: a widget's handle as the library's
// callers hold it, and one QApplication for the test program.

#include <QWidget>

#include <cstdint>

#include "tests/support/qt_application.h"

namespace tlvx::test {

inline std::int32_t handleOf(QWidget& widget) {
    return static_cast<std::int32_t>(static_cast<quint32>(widget.winId()));
}

[[maybe_unused]] inline testing::Environment* const kWindowTestApplication =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace tlvx::test
