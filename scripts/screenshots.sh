#!/usr/bin/env bash
# Takes the screenshots of README.md: the program is built, started on a
# private X display with the example group chosen, and each of its windows
# is saved as a picture in doc/screenshots.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install_deps.sh"
# TLVX_SHOTS_BUILD names a configured build folder to use instead.
build="${TLVX_SHOTS_BUILD:-$here/build}"
[ -n "${TLVX_SHOTS_BUILD:-}" ] ||
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTLVX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target TLVX tlvx-window-grab tlvx-count
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

# Earlier versions of the example Till, counted and recorded by tlvx-count
# into the copy's history, so that the growth view has versions to show:
# each has fewer modules and lines than the next, as projects grow.
till_version() { # VERSION DATE [LINE-OF-THE-PROJECT-FILE-TO-DROP | MODULE:LINES-TO-KEEP]...
  local version=$1 date=$2 dir="$work/till-$1" change major minor revision
  shift 2
  cp -r "$work/examples/Till" "$dir"
  IFS=. read -r major minor revision <<<"$version"
  sed -i -e "s/^MajorVer=[0-9]*/MajorVer=$major/" -e "s/^MinorVer=[0-9]*/MinorVer=$minor/" \
    -e "s/^RevisionVer=[0-9]*/RevisionVer=$revision/" "$dir/Till.vbp"
  for change in "$@"; do
    case $change in
      *:[0-9]*) head -n "${change##*:}" "$work/examples/Till/${change%%:*}" >"$dir/${change%%:*}" ;;
      *) sed -i "/^${change}/d" "$dir/Till.vbp" ;;
    esac
  done
  "$bin/tlvx-count" --record --history "$work/app/verhis" "$dir/Till.vbp" >/dev/null
  touch -d "$date" "$work/app/verhis/Till/$version"
}
till_version 1.9.0 "2025-11-03 10:00" UserControl= Form=Forms Class= frmTill.frm:18
till_version 1.10.0 "2026-01-19 16:30" Form=Forms Class=
till_version 2.0.0 "2026-04-07 09:15" Form=Forms clsBasket.cls:14
till_version 2.1.0 "2026-08-24 14:45" mdlTill.bas:8

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

# The growth of the project just counted, from the history window.
focus "$history"
keys ctrl+g
growth=$(wait_window "Growth of Till")
grab "$growth" growth-window
focus "$growth"
keys Escape
wait_window_gone "Growth of Till"
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
