#include "library/frame/module_life.h"

#include <atomic>

namespace tlvx::library::frame {
namespace {

constinit std::atomic<long> liveObjects{0};
constinit std::atomic<long> serverLocks{0};

}  // namespace

void objectCreated() noexcept {
    liveObjects.fetch_add(1, std::memory_order_relaxed);
}

void objectDestroyed() noexcept {
    liveObjects.fetch_sub(1, std::memory_order_acq_rel);
}

void serverLocked() noexcept {
    serverLocks.fetch_add(1, std::memory_order_relaxed);
}

bool serverUnlocked() noexcept {
    // An unbalanced unlock must not drive the count below zero and keep the
    // module from ever unloading, nor let a later lock go unnoticed.
    long locks = serverLocks.load(std::memory_order_relaxed);
    while (locks > 0) {
        if (serverLocks.compare_exchange_weak(locks, locks - 1, std::memory_order_acq_rel)) {
            return true;
        }
    }
    return false;
}

bool canUnload() noexcept {
    return liveObjects.load(std::memory_order_acquire) == 0 &&
           serverLocks.load(std::memory_order_acquire) == 0;
}

}  // namespace tlvx::library::frame
