#!/usr/bin/env bash
# End to end: TLVX at 100 %, 125 % and twice the size (QT_SCALE_FACTOR=2)
# on a 1280x800 screen, where at twice the size the designed window would
# not fit. The main window must lie wholly on the screen at each; at twice
# the size Ctrl+A then Ctrl+C in the listing must put the header and every
# row of the first project on the clipboard, and the version history window
# must lie on the screen too.
#
#   scale_fit_e2e.sh BIN-DIR EXAMPLES-DIR
#
# Exit 77 (skipped) when Xvfb, xdotool or Python's tkinter (which reads the
# clipboard) is missing.
set -euo pipefail
bin=$(cd "$1" && pwd)
examples=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=desktop_session.sh
. "$here/desktop_session.sh"
GRAB="$bin/tlvx-window-grab"
python3 -c 'import tkinter' 2>/dev/null || {
  echo "skipped: Python's tkinter is not installed"
  exit 77
}
e2e_workspace tlvx-scale
work=$WORK

app="$work/app"
copy_program "$bin" "$app"
cp -r "$examples" "$work/examples"
group="$work/examples/Shop.vbg"

# The first project's rows as an export writes them, tab separated and
# without the total line.
"$bin/tlvx-count" --csv "$group" >"$work/expected.csv"
awk 'NR > 1 && /^Project,/ { exit } /^Module File,/ { on = 1 } on && NF && !/^Total: / && !/^ ,Total,/ { print }' \
  "$work/expected.csv" | tr -d '\r' | tr ',' '\t' >"$work/expected-rows.txt"
[ "$(wc -l <"$work/expected-rows.txt")" -gt 2 ] || fail "the expected rows are too few"

SESSION_SCREEN=1280x800x24
session_start "$work/session"

lies_on_screen() { # window id, name
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$1")"
  echo "$2 at ${X},${Y} size ${WIDTH}x${HEIGHT}"
  [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1280 ] && [ $((Y + HEIGHT)) -le 800 ]
}
on_screen() { lies_on_screen "$MAIN" "the main window"; }

# At 100 % and 125 % as well as at 200 %: the window places itself once
# it is shown.
for scale in 1 1.25; do
  QT_SCALE_FACTOR=$scale tlvx_start "$app"
  sleep 1
  on_screen || fail "at $scale the main window does not lie wholly on the 1280x800 screen"
  tlvx_running || fail "at $scale TLVX ended before it was stopped"
  tlvx_stop
done

export QT_SCALE_FACTOR=2
tlvx_start "$app"
sleep 1
on_screen || fail "the main window does not lie wholly on the 1280x800 screen"

echo "choose the group with Ctrl+O"
recorded() { [ -f "$app/verhis/$1/$2" ]; }
choose_project "$group"
wait_until "the first project is counted" recorded Till 2.1.7
on_screen || fail "the main window left the screen"

echo "Ctrl+A, Ctrl+C in the listing"
clipboard() {
  python3 -c 'import tkinter; r = tkinter.Tk(); r.withdraw(); print(r.clipboard_get(type="UTF8_STRING"), end="")' \
    2>/dev/null
}
focus "$MAIN"
# The listing lies below the properties: 2 x 270 pixels from the top, in
# the part of the window the screen shows.
click "$MAIN" 300 620
keys ctrl+a
keys ctrl+c
copied() { clipboard >"$work/copied.txt" && cmp -s "$work/expected-rows.txt" "$work/copied.txt"; }
wait_until "the clipboard holds the header and every row" copied

echo "Ctrl+H: the version history window lies on the screen too"
focus "$MAIN"
keys ctrl+h
history=$(wait_window "Version History")
sleep 1
lies_on_screen "$history" "the version history window" ||
  fail "the version history window does not lie wholly on the 1280x800 screen"
focus "$history"
keys Escape
wait_window_gone "Version History"

tlvx_running || fail "TLVX ended before the end"
echo "PASS"
