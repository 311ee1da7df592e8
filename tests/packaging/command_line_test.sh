#!/usr/bin/env bash
# The programs' command lines as a shell meets them, with no display at all:
# --help and --version answer on stdout with status 0, a wrong option is
# told on stderr with status 2, and help texts fit 80 columns. Nothing is
# made in the user's folders for any of them.
#
#   command_line_test.sh BIN-DIR VERSION
set -euo pipefail
bin=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tlvx-command-line.XXXXXX")
trap 'status=$?; if [ $status -eq 0 ]; then rm -rf "$work"; else echo "kept: $work" >&2; fi' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# No display of any kind: the programs must not need one for these.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME"

# program | arguments | status | stream that has the text (out, err) | text it starts with
cases=(
  "TLVX|--help|0|out|Usage: TLVX "
  "TLVX|-h|0|out|Usage: TLVX "
  "TLVX|--version|0|out|TLVX $version"
  "TLVX|-v|0|out|TLVX $version"
  "TLVX|-platform offscreen --version|0|out|TLVX $version"
  "TLVX|--bogus|2|err|TLVX: "
  "TLVX|--bogus Shop.vbg|2|err|TLVX: "
  "tlvx-count|--help|0|out|Usage: tlvx-count "
  "tlvx-count|--version|0|out|tlvx-count $version"
  "tlvx-count|--bogus|2|err|tlvx-count: unknown option --bogus"
  "regsvr|--help|0|out|usage: regsvr "
  "regsvr|--bogus|2|err|usage: regsvr "
  # Through the name an installation gives it on the PATH.
  "tlvx-regsvr|--help|0|out|usage: tlvx-regsvr "
  "tlvx-regsvr|-u|2|err|usage: tlvx-regsvr "
  "tlvx-regsvr|$work/none.so|1|err|tlvx-regsvr: cannot load $work/none.so: no such file."
)
ln -s "$bin/regsvr" "$work/tlvx-regsvr"
for case in "${cases[@]}"; do
  IFS='|' read -r program arguments expected stream start <<<"$case"
  status=0
  # shellcheck disable=SC2086  # the arguments are words
  exe="$bin/$program"
  [ -e "$exe" ] || exe="$work/$program"
  (cd "$work" && exec "$exe" $arguments) >"$work/out" 2>"$work/err" || status=$?
  [ "$status" = "$expected" ] ||
    fail "$program $arguments: status $status, not $expected: $(cat "$work/err")"
  head -c "${#start}" "$work/$stream" | grep -qxF -- "$start" ||
    fail "$program $arguments: std$stream does not start with \"$start\": $(head -n 3 "$work/$stream")"
  if [ "$stream" = out ]; then
    [ ! -s "$work/err" ] || fail "$program $arguments wrote on stderr: $(cat "$work/err")"
  else
    [ ! -s "$work/out" ] || fail "$program $arguments wrote on stdout: $(cat "$work/out")"
  fi
  # Help texts fit a terminal of 80 columns.
  case " $arguments " in *" --help "* | *" -h "*) ;; *) continue ;; esac
  [ -z "$(awk 'length > 79' "$work/$stream")" ] ||
    fail "$program $arguments: lines longer than 79 characters: $(awk 'length > 79' "$work/$stream")"
done
# Nothing was made for them: no working folder, no history.
[ -z "$(ls -A "$work/home")" ] && [ ! -e "$work/data" ] && [ ! -e "$work/cache" ] ||
  fail "answering the command line made folders: $(find "$work/home" "$work/data" "$work/cache" 2>/dev/null)"
echo "PASS"
