#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
# TLVX_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer;
# TLVX_WERROR=1 treats compiler warnings as errors (CI does).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install_deps.sh"
build="$here/build-test"
sanitize=OFF
bench=ON
# The sanitizer build skips the benchmarks, which it would only slow down.
if [ "${TLVX_SANITIZE:-0}" = 1 ]; then build="$here/build-asan"; sanitize=ON; bench=OFF; fi
werror=OFF
if [ "${TLVX_WERROR:-0}" = 1 ]; then werror=ON; fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTLVX_SANITIZE=$sanitize \
  -DTLVX_WERROR=$werror -DTLVX_BUILD_BENCH=$bench >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
