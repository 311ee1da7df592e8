#!/usr/bin/env bash
# Installs what is needed, builds, counts the bundled example group with
# tlvx-count and starts the desktop program TLVX with it (on the desktop in DISPLAY
# or WAYLAND_DISPLAY; without one, says how to see it anyway).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install_deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release -DTLVX_BUILD_TESTS=OFF >/dev/null
cmake --build "$here/build" -j"$(nproc)"
"$here/build/bin/tlvx-count" "$here/examples/Shop.vbg"
echo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop here (neither DISPLAY nor WAYLAND_DISPLAY is set), so TLVX is not started."
  echo "Start it on a desktop with: $here/build/bin/TLVX $here/examples/Shop.vbg"
  echo "or take pictures of its windows on a virtual screen: bash scripts/screenshots.sh"
  exit 0
fi
echo "Starting TLVX with examples/Shop.vbg; choose another project or group with Ctrl+O."
exec "$here/build/bin/TLVX" "$here/examples/Shop.vbg"
