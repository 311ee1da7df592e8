#!/usr/bin/env bash
# Installs what is needed, builds, and counts the bundled example group.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release -DTLVX_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build" -j"$(nproc)"
"$here/build/bin/tlvx-count" "$here/examples/Shop.vbg"
