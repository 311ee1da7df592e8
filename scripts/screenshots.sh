#!/usr/bin/env bash
# Takes the screenshots of README.md: the program is built, started on a
# private X display with the example group chosen, and each of its windows
# is saved as a picture in doc/screenshots.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install_deps.sh"
build="$here/build"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTLVX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target TLVX tlvx-window-grab
bin="$build/bin"
shots="$here/doc/screenshots"
mkdir -p "$shots"

work=$(mktemp -d "${TMPDIR:-/tmp}/tlvx-shots.XXXXXX")
trap 'session_stop; rm -rf "$work"' EXIT
# shellcheck source=../tests/e2e/desktop_session.sh
. "$here/tests/e2e/desktop_session.sh"
GRAB="$bin/tlvx-window-grab"

# A copy of the program, so that its version history starts empty.
copy_program "$bin" "$work/app"
cp -r "$here/examples" "$work/examples"

session_start "$work/session"
tlvx_start "$work/app"
recorded() { [ -f "$work/app/verhis/$1/$2" ]; }
grab() { # window name
  sleep 0.5 # let it paint
  "$GRAB" "$1" "$shots/$2.png"
  echo "$shots/$2.png"
}

# The group chosen, both projects counted, the first one shown.
choose_project "$work/examples/Shop.vbg"
wait_until "the first project is counted" recorded Till 2.1.7
click "$MAIN" "${NEXT_AT[@]}"
wait_until "the second project is counted" recorded Common 1.0.3
click "$MAIN" "${PREVIOUS_AT[@]}"
sleep 0.5
grab "$MAIN" main-window

focus "$MAIN"
keys ctrl+h
history=$(wait_window "Version History")
grab "$history" history-window
focus "$history"
keys Escape
wait_window_gone "Version History"

# The help button's menu, then its last entry.
focus "$MAIN"
click "$MAIN" "${HELP_AT[@]}"
sleep 0.5
keys a
about=$(wait_window "About Tallyvex")
grab "$about" about-window
