# Runs TLVX on a private X display and drives it as a user would, with
# xdotool. Sourced by the end-to-end test and by the screenshot script.
#
#   e2e_workspace NAME     for a test: exits 77 (skipped) without Xvfb or
#                          xdotool, else makes WORK, a fresh folder that goes
#                          when the script succeeds and stays after a failure
#   copy_program BIN DEST  the program's files copied to DEST, as a user has them
#   session_start DIR      a fresh X display, with home, settings and registry in DIR
#                          (SESSION_SCREEN, 1280x1024x24 unless set, its size)
#   tlvx_start PROGRAM-DIR [ARG...]  starts the TLVX found there (with its
#                          arguments); MAIN is its window
#   wait_window TITLE [IDS] waits for a visible window of exactly that title
#                          that is none of IDS, prints its id
#   focus ID, keys KEY..., type_text TEXT, click ID X Y
#   choose_project PATH    Ctrl+O in the main window, PATH typed, Return
#   tlvx_stop              ends TLVX, the display staying
#   session_stop           ends TLVX and the display (callers trap EXIT with it)
#
# Every wait has a deadline; a run that hangs fails instead.

SESSION_TIMEOUT=${SESSION_TIMEOUT:-30}

# Where the controls the scripts click lie in their window (pixels).
PREVIOUS_AT=(138 77) # main window "<"
NEXT_AT=(182 77)     # main window ">"
HELP_AT=(654 50)     # main window help button
DELETE_VERSION_AT=(395 19) # version history window

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${SESSION_DIR:-}" ] && [ -n "${DISPLAY:-}" ] && [ -n "${GRAB:-}" ]; then
    # The screen as it stood, for whoever reads the failure.
    timeout 10 "$GRAB" root "$SESSION_DIR/failure.png" 2>/dev/null &&
      echo "screen at the failure: $SESSION_DIR/failure.png" >&2
  fi
  if [ -n "${SESSION_DIR:-}" ] && [ -s "$SESSION_DIR/tlvx.log" ]; then
    echo "--- TLVX output" >&2
    tail -n 40 "$SESSION_DIR/tlvx.log" >&2
  fi
  exit 1
}

e2e_workspace() {
  local tool
  for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || {
      echo "skipped: $tool is not installed"
      exit 77
    }
  done
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  trap 'status=$?; session_stop; if [ $status -eq 0 ]; then rm -rf "$WORK"; else echo "kept: $WORK" >&2; fi' EXIT
}

session_start() {
  SESSION_DIR=$1
  mkdir -p "$SESSION_DIR/home" "$SESSION_DIR/runtime"
  chmod 700 "$SESSION_DIR/runtime"
  # Xvfb picks a free display itself and writes its number once it listens.
  Xvfb -displayfd 3 -screen 0 "${SESSION_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$SESSION_DIR/display" \
    >"$SESSION_DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local waited=0
  until [ -s "$SESSION_DIR/display" ]; do
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start: $(cat "$SESSION_DIR/xvfb.log")"
    [ $waited -lt $((SESSION_TIMEOUT * 10)) ] || fail "Xvfb gave no display"
    sleep 0.1
    waited=$((waited + 1))
  done
  export DISPLAY=":$(tr -dc 0-9 <"$SESSION_DIR/display")"
  # Nothing of the session touches the user's own files.
  export HOME="$SESSION_DIR/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$SESSION_DIR/runtime"
  export TLVX_REGISTRY="$SESSION_DIR/registry.sqlite"
  export QT_QPA_PLATFORM=xcb
  unset QT_QPA_PLATFORMTHEME SESSION_MANAGER
}

# Ends the process $1 (if any is named) and waits for it.
end_process() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Ends TLVX; the display stays for the next start.
tlvx_stop() {
  end_process "${TLVX_PID:-}"
  TLVX_PID=""
}

session_stop() {
  tlvx_stop
  end_process "${XVFB_PID:-}"
  XVFB_PID=""
  return 0
}

tlvx_start() {
  local program=$1
  shift
  "$program/TLVX" "$@" >"$SESSION_DIR/tlvx.log" 2>&1 &
  TLVX_PID=$!
  MAIN=$(timeout "$SESSION_TIMEOUT" xdotool search --sync --onlyvisible --name '^Tallyvex$' |
    head -n1) || true
  [ -n "$MAIN" ] || fail "the main window did not come up"
}

tlvx_running() {
  kill -0 "$TLVX_PID" 2>/dev/null
}

# Prints the id of a visible window titled exactly $1 that is not among the
# ids given after it (a message box shares the main window's title).
wait_window() {
  local title=$1
  shift
  local deadline=$((SECONDS + SESSION_TIMEOUT)) id
  while [ $SECONDS -lt $deadline ]; do
    tlvx_running || fail "TLVX ended while waiting for \"$title\""
    for id in $(timeout 5 xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
      case " $* " in *" $id "*) ;; *)
        echo "$id"
        return 0
        ;;
      esac
    done
    sleep 0.1
  done
  fail "no window \"$title\" came up"
}

# Waits until no visible window titled exactly $1 is left.
wait_window_gone() {
  local deadline=$((SECONDS + SESSION_TIMEOUT))
  while [ $SECONDS -lt $deadline ]; do
    [ -z "$(timeout 5 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  fail "the window \"$1\" stayed open"
}

focus() {
  timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || timeout 5 xdotool windowfocus "$1"
  sleep 0.2
}

keys() {
  timeout 5 xdotool key --clearmodifiers --delay 50 "$@"
}

type_text() {
  timeout 30 xdotool type --clearmodifiers --delay 15 -- "$1"
}

# A left click at the window's own coordinates.
click() {
  timeout 5 xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Waits until the test `$@` holds.
wait_until() {
  local what=$1
  shift
  local deadline=$((SECONDS + SESSION_TIMEOUT))
  until "$@"; do
    tlvx_running || fail "TLVX ended while waiting until $what"
    [ $SECONDS -lt $deadline ] || fail "timed out waiting until $what"
    sleep 0.1
  done
}

choose_project() {
  focus "$MAIN"
  keys ctrl+o
  local dialog
  dialog=$(wait_window "Choose VB6 Project \\(Group\\)")
  focus "$dialog"
  type_text "$1"
  keys Return
}

copy_program() {
  mkdir -p "$2"
  cp "$1/TLVX" "$1/Morcel_TLVX.so" "$1/libtlvxplatform.so" "$1/libtlvxdesktop.so" "$2/"
  cp -r "$1/doc" "$2/"
}
