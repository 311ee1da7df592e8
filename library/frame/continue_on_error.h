#pragma once
// The classes' methods continue on error: whatever a method body throws ends
// the call with the neutral result, never reaching the caller.

namespace tlvx::library {

template <class Result, class Body>
Result continueOnError(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class Body>
void continueOnError(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace tlvx::library
