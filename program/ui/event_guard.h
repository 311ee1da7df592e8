#pragma once
// An event handler of a window runs to its end or stops at a step that
// fails; nothing it throws may reach Qt's event loop, which cannot pass it
// on. Such a failure is passed over without notice, as every other failing
// step of the program is.

#include <utility>

namespace tlvx::ui {

template <class Handler>
void passOverFailure(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
    }
}

}  // namespace tlvx::ui
