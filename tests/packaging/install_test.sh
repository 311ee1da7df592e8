#!/usr/bin/env bash
# `cmake --install` into a temporary prefix, then the installed program as a
# user meets it: the layout, the desktop's entry and file types, tlvx-count
# and TLVX started through bin/ keeping their working folders in the user's
# data folder (never in the prefix, though it could be written), and a C++
# client built against the installed header with pkg-config.
#
#   install_test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tlvx-install.XXXXXX")
trap 'status=$?; [ -n "${tlvx:-}" ] && kill "$tlvx" 2>/dev/null; if [ $status -eq 0 ]; then rm -rf "$work"; else echo "kept: $work" >&2; fi' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
id=org.tallyvex.Tallyvex

echo "the layout"
for file in bin/TLVX bin/tlvx-count lib/tallyvex/TLVX lib/tallyvex/tlvx-count lib/tallyvex/regsvr \
  lib/tallyvex/Morcel_TLVX.so lib/tallyvex/libtlvxplatform.so lib/tallyvex/libtlvxdesktop.so \
  include/tallyvex/Morcel_TLVX.h include/tallyvex/ole_types.h lib/pkgconfig/Morcel_TLVX.pc \
  share/applications/$id.desktop share/mime/packages/$id.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/doc/tallyvex/index.html; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -s "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" ] || fail "no icon of $size pixels"
done
[ -L "$prefix/bin/TLVX" ] && [ "$(readlink "$prefix/bin/TLVX")" = ../lib/tallyvex/TLVX ] ||
  fail "bin/TLVX is no relative link into the program's folder"
# Nothing of the build tree is needed at run time.
for program in TLVX tlvx-count; do
  if readelf -d "$prefix/lib/tallyvex/$program" | grep -E 'R(UN)?PATH' | grep -q "$build"; then
    fail "$program looks for libraries in the build folder"
  fi
done

echo "the desktop entry and the file types"
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "the desktop entry is not valid"
grep -qx 'Exec=TLVX %f' "$prefix/share/applications/$id.desktop" || fail "the entry does not start TLVX with a file"
[ -x "$prefix/bin/$(sed -n 's/^TryExec=//p' "$prefix/share/applications/$id.desktop")" ] ||
  fail "the entry's program is not in bin/"
XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" 2>"$work/mime.log"
[ ! -s "$work/mime.log" ] || fail "update-mime-database: $(cat "$work/mime.log")"
grep -q "text/x-vb6-project:\*\.vbp" "$prefix/share/mime/globs2" || fail "no glob for .vbp"
grep -q "text/x-vb6-project-group:\*\.vbg" "$prefix/share/mime/globs2" || fail "no glob for .vbg"
grep -qx "text/x-vb6-project text/plain" "$prefix/share/mime/subclasses" || fail ".vbp is no text"

# A user of the installed program, with a home of its own.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_RUNTIME_DIR="$work/runtime" TLVX_REGISTRY="$work/registry.sqlite"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset TLVX_COMPONENT_DIR
cp -r "$source/examples" "$work/examples"
group="$work/examples/Shop.vbg"
history="$XDG_DATA_HOME/tallyvex/verhis"

echo "tlvx-count through bin/"
"$build/bin/tlvx-count" --record --history "$work/expected" "$group" >"$work/expected.txt"
(cd "$work" && "$prefix/bin/tlvx-count" --record "$group" >"$work/installed.txt")
diff -u "$work/expected.txt" "$work/installed.txt" || fail "the installed tlvx-count counts otherwise"
diff -r "$work/expected" "$history" || fail "the installed tlvx-count did not record in the user's data folder"
[ -z "$(find "$prefix" -name verhis -o -name tempprjfiles)" ] || fail "working folders in the prefix"

echo "TLVX through bin/ with the group"
rm -rf "$XDG_DATA_HOME/tallyvex"
QT_QPA_PLATFORM=offscreen "$prefix/bin/TLVX" "$group" >"$work/tlvx.log" 2>&1 &
tlvx=$!
for _ in $(seq 300); do
  cmp -s "$history/Till/2.1.7" "$work/expected/Till/2.1.7" && break
  kill -0 "$tlvx" 2>/dev/null || fail "TLVX ended: $(cat "$work/tlvx.log")"
  sleep 0.1
done
cmp -s "$history/Till/2.1.7" "$work/expected/Till/2.1.7" || fail "TLVX did not record the group's first project"
[ -d "$XDG_DATA_HOME/tallyvex/tempprjfiles" ] || fail "no working copies in the user's data folder"
[ -z "$(find "$prefix" -name verhis -o -name tempprjfiles)" ] || fail "working folders in the prefix"
kill "$tlvx"
wait "$tlvx" 2>/dev/null || true
tlvx=""

echo "a client built against the installed header"
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
flags=$(pkg-config --cflags --libs Morcel_TLVX)
case "$flags" in *"$source"*) fail "pkg-config names the source tree: $flags" ;; esac
# A runtime built with the sanitizers needs their runtime first in the client.
sanitizers=()
if readelf -d "$prefix/lib/tallyvex/libtlvxplatform.so" | grep -q 'libasan'; then
  sanitizers=(-fsanitize=address,undefined)
fi
c++ -std=c++20 -Wall -Wextra -Werror "${sanitizers[@]}" "$source/tests/packaging/installed_client.cpp" \
  $flags -o "$work/client"
printf 'one\r\ntwo\r\nthree' >"$work/three.txt"
(cd "$work/home" && "$work/client" "$work/three.txt" >"$work/client.txt")
printf 'lines 3 3\nbase64 VGFsbHl2ZXg=\n' | diff -u - "$work/client.txt" || fail "the client's calls went wrong"
echo "PASS"
