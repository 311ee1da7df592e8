#pragma once
// The component library's objects for tests of the program's core, created
// once per test program from the module beside it.

#include <cstdio>
#include <cstdlib>

#include "program/analysis/library_client.h"

namespace tlvx::test {

inline const analysis::LibraryObjects& libraryObjects() {
    static std::optional<analysis::LibraryObjects> objects = analysis::LibraryObjects::create();
    if (!objects) {
        std::fputs("the component library Morcel_TLVX cannot be loaded\n", stderr);
        std::abort();
    }
    return *objects;
}

}  // namespace tlvx::test
