#!/usr/bin/env bash
# End to end: a copy of the built program in a temporary folder, started on
# a private X display and driven with the keyboard and mouse. Chooses the
# example group, steps to the next project and back, deletes a version in
# the version history window, exports the listing to a .csv and, on the
# proposed name, to a .txt; then checks the files the program wrote against
# what tlvx-count writes for the group.
#
#   desktop_e2e.sh BIN-DIR EXAMPLES-DIR
#
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
bin=$(cd "$1" && pwd)
examples=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=desktop_session.sh
. "$here/desktop_session.sh"
GRAB="$bin/tlvx-window-grab"
e2e_workspace tlvx-e2e
work=$WORK

# The program as a user would have it: its files in a folder of its own.
app="$work/app"
copy_program "$bin" "$app"
mkdir -p "$work/out"
cp -r "$examples" "$work/examples"
group="$work/examples/Shop.vbg"

# What the program must record and export, as the headless counter gives it.
"$bin/tlvx-count" --record --history "$work/expected" "$group" >/dev/null
"$bin/tlvx-count" --csv "$group" >"$work/expected.csv"
# The first project's listing as an export writes it: header, rows, total.
awk 'NR > 1 && /^Project,/ { exit } /^Module File,/ { on = 1 } on && NF && !/^Total: / { print }' \
  "$work/expected.csv" >"$work/expected-till.csv"

session_start "$work/session"
tlvx_start "$app"

same_record() { # project version
  [ -f "$app/verhis/$1/$2" ] && cmp -s "$app/verhis/$1/$2" "$work/expected/$1/$2"
}
gone() { [ ! -e "$1" ]; }

echo "choose the group with Ctrl+O"
choose_project "$group"
wait_until "the first project is recorded" same_record Till 2.1.7
[ ! -e "$app/verhis/Common" ] || fail "the second project was recorded before it was shown"

echo "> shows the second project"
focus "$MAIN"
click "$MAIN" "${NEXT_AT[@]}"
wait_until "the second project is recorded" same_record Common 1.0.3

echo "< shows the first project again"
rm "$app/verhis/Till/2.1.7"
click "$MAIN" "${PREVIOUS_AT[@]}"
wait_until "the first project is recorded again" same_record Till 2.1.7

echo "Ctrl+H, then delete the selected version"
focus "$MAIN"
keys ctrl+h
history=$(wait_window "Version History")
focus "$history"
# The window opens on the current calculation, Till 2.1.7, though Common
# is listed first.
click "$history" "${DELETE_VERSION_AT[@]}"
question=$(wait_window Tallyvex "$MAIN")
focus "$question"
keys Return # Yes is the default answer
wait_until "the version is deleted" gone "$app/verhis/Till/2.1.7"
[ -d "$app/verhis/Till" ] || fail "deleting a version took its project folder"
same_record Common 1.0.3 || fail "deleting a version touched another project"
focus "$history"
keys Escape
wait_window_gone "Version History"

echo "Alt+O, save the listing as .csv"
focus "$MAIN"
keys alt+o
save=$(wait_window "Output Listing As")
focus "$save"
keys ctrl+a
type_text "$work/out/Till listing.csv"
keys Return
told=$(wait_window Tallyvex "$MAIN")
focus "$told"
keys Return
wait_window_gone "Output Listing As"
[ -f "$work/out/Till listing.csv" ] || fail "no export was written"
tr -d '\r' <"$work/out/Till listing.csv" >"$work/export.csv"
diff -u "$work/expected-till.csv" "$work/export.csv" || fail "the export differs"
grep -q $'\r$' "$work/out/Till listing.csv" || fail "the export's lines do not end in CR LF"

echo "Alt+O, Return on the proposed name: saved with .txt"
focus "$MAIN"
keys alt+o
save=$(wait_window "Output Listing As")
focus "$save"
keys Return
told=$(wait_window Tallyvex "$MAIN")
focus "$told"
keys Return
wait_window_gone "Output Listing As"
proposed=$(find "$work/out" -maxdepth 1 -name 'Till_2.1.7_[0-9]*' -printf '%f\n')
[[ "$proposed" =~ ^Till_2\.1\.7_[0-9]{8}\.txt$ ]] || fail "the proposed name was saved as \"$proposed\""
grep -q $'^Module File\tType\t' "$work/out/$proposed" || fail "the .txt export is not tab separated"

tlvx_running || fail "TLVX ended before the end"
diff -r "$examples" "$work/examples" >/dev/null || fail "the program changed the projects it counted"
echo "PASS"
