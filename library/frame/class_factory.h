#pragma once
// The class factory of one of the library's classes: a static object with
// constant initialisation. A reference a client holds to it keeps the
// module loaded like an object does; LockServer counts locks.

#include "include/tallyvex/ole_types.h"
#include "library/frame/module_life.h"
#include "platform/automation/class_factory.h"

namespace tlvx::library::frame {

struct FactoryLife {
    static constexpr ULONG kInitialReferences = 0;
    static constexpr bool kDeleteWhenUnused = false;
    static void referenceAdded() noexcept { objectCreated(); }
    static void referenceReleased() noexcept { objectDestroyed(); }
    static void lockServer(bool lock) noexcept {
        if (lock) {
            serverLocked();
        } else {
            serverUnlocked();
        }
    }
};

using ClassFactory = platform::automation::ClassFactory<FactoryLife>;

}  // namespace tlvx::library::frame
