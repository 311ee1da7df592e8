#!/usr/bin/env bash
# End to end: TLVX started with a group on its command line, as the file
# manager starts it, on a private X display. The group is analysed at
# start; ">" steps through its projects; every project it shows is
# recorded as tlvx-count records it. Then TLVX started with a file that is
# no project: the program says so, and the window goes on to Ctrl+O.
#
#   start_argument_e2e.sh BIN-DIR EXAMPLES-DIR
#
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
bin=$(cd "$1" && pwd)
examples=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=desktop_session.sh
. "$here/desktop_session.sh"
GRAB="$bin/tlvx-window-grab"
e2e_workspace tlvx-e2e-start
work=$WORK

app="$work/app"
copy_program "$bin" "$app"
cp -r "$examples" "$work/examples"
"$bin/tlvx-count" --record --history "$work/expected" "$work/examples/Shop.vbg" >/dev/null

session_start "$work/session"

same_record() { # project version
  [ -f "$app/verhis/$1/$2" ] && cmp -s "$app/verhis/$1/$2" "$work/expected/$1/$2"
}

echo "TLVX Shop.vbg, started in the group's folder"
# A relative name, as a shell gives it: the program's own moves of the
# current directory must not lose it.
cd "$work/examples"
tlvx_start "$app" Shop.vbg
cd "$work"
wait_until "the first project is recorded" same_record Till 2.1.7
[ ! -e "$app/verhis/Common" ] || fail "the second project was recorded before it was shown"

echo "> records the second project"
focus "$MAIN"
click "$MAIN" "${NEXT_AT[@]}"
wait_until "the second project is recorded" same_record Common 1.0.3
diff -r "$work/expected" "$app/verhis" || fail "the records differ from tlvx-count's"
session_stop

echo "TLVX with a file that is no project"
session_start "$work/session2"
printf 'Dear reader,\r\nhello.\r\n' >"$work/Letter.vbp"
tlvx_start "$app" "$work/Letter.vbp"
told=$(wait_window Tallyvex "$MAIN")
focus "$told"
keys Return
message_gone() { ! timeout 5 xdotool search --onlyvisible --name '^Tallyvex$' | grep -qvx "$MAIN"; }
wait_until "the message is gone" message_gone
[ ! -e "$app/verhis/Letter" ] || fail "a file that is no project was recorded"

echo "the window still chooses with Ctrl+O"
rm -rf "$app/verhis/Till"
choose_project "$work/examples/Shop.vbg"
wait_until "the chosen group is recorded" same_record Till 2.1.7
tlvx_running || fail "TLVX ended before the end"
echo "PASS"
