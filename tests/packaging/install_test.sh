#!/usr/bin/env bash
# `cmake --install` into a temporary prefix, then the installed program as a
# user meets it: the layout, the desktop's entry and file types, tlvx-count
# and TLVX started through bin/ keeping their history in the user's data
# folder and their working copies in the user's cache folder (never in the
# prefix, though it could be written), their answers without a display, the
# manual pages and the metadata, and a C++ client built against the
# installed header with pkg-config.
#
#   install_test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tlvx-install.XXXXXX")
trap 'status=$?; [ -n "${tlvx:-}" ] && kill "$tlvx" 2>/dev/null; if [ $status -eq 0 ]; then rm -rf "$work"; else echo "kept: $work" >&2; fi' EXIT
# shellcheck source=installed_checks.sh
. "$source/tests/packaging/installed_checks.sh"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
id=org.tallyvex.Tallyvex

echo "the layout"
# The program's folder lies in LIBDIR: lib/<triplet> on Debian, lib elsewhere.
libdir=$(cache_value "$build" CMAKE_INSTALL_LIBDIR)
program_dir="$libdir/tallyvex"
for file in bin/TLVX bin/tlvx-count bin/tlvx-regsvr "$program_dir/TLVX" "$program_dir/tlvx-count" \
  "$program_dir/regsvr" "$program_dir/Morcel_TLVX.so" "$program_dir/libtlvxplatform.so" \
  "$program_dir/libtlvxdesktop.so" include/tallyvex/Morcel_TLVX.h include/tallyvex/ole_types.h \
  "$libdir/pkgconfig/Morcel_TLVX.pc" share/applications/$id.desktop share/mime/packages/$id.xml \
  share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
  share/doc/tallyvex/index.html share/doc/tallyvex/copyright share/doc/tallyvex/changelog.gz \
  share/doc/tallyvex/library.md share/doc/tallyvex/linux.md share/doc/tallyvex/departures.md \
  share/doc/tallyvex/benchmarks.md share/man/man1/TLVX.1.gz share/man/man1/tlvx-count.1.gz \
  share/man/man1/tlvx-regsvr.1.gz; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done
# Every program on the PATH has its manual page, and no other tool is there.
for program in "$prefix"/bin/*; do
  [ -e "$prefix/share/man/man1/$(basename "$program").1.gz" ] || fail "$program has no manual page"
done
[ ! -e "$prefix/bin/tlvx-strings" ] && [ ! -e "$prefix/$program_dir/tlvx-strings" ] ||
  fail "tlvx-strings, a tool of the build folder, is installed"
for size in 16 22 24 32 48 64 128 256; do
  [ -s "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" ] || fail "no icon of $size pixels"
done
[ -L "$prefix/bin/TLVX" ] && [ "$(readlink "$prefix/bin/TLVX")" = "../$program_dir/TLVX" ] ||
  fail "bin/TLVX is no relative link into the program's folder"
[ "$(readlink "$prefix/bin/tlvx-regsvr")" = "../$program_dir/regsvr" ] ||
  fail "bin/tlvx-regsvr does not lead to regsvr"
# Nothing of the build tree is needed at run time.
for program in TLVX tlvx-count; do
  if readelf -d "$prefix/$program_dir/$program" | grep -E 'R(UN)?PATH' | grep -q "$build"; then
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
export XDG_CACHE_HOME="$work/home/cache"
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
[ -f "$XDG_CACHE_HOME/tallyvex/tempprjfiles/Till.vbp" ] || fail "no working copies in the user's cache folder"
[ ! -e "$XDG_DATA_HOME/tallyvex/tempprjfiles" ] || fail "working copies in the user's data folder"
[ -z "$(find "$prefix" -name verhis -o -name tempprjfiles)" ] || fail "working folders in the prefix"
kill "$tlvx"
wait "$tlvx" 2>/dev/null || true
tlvx=""

echo "the installed programs answer without a display"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/TLVX" --version)" = \
  "TLVX $(cache_value "$build" CMAKE_PROJECT_VERSION)" ] ||
  fail "TLVX --version through bin/ does not give the version"
"$prefix/bin/tlvx-count" --help | grep -q '^Exit status:' || fail "tlvx-count --help tells no exit status"
"$prefix/bin/tlvx-regsvr" --help | grep -q '^usage: tlvx-regsvr \[-u\] MODULE$' ||
  fail "tlvx-regsvr --help gives no usage under its own name"

echo "a data folder that cannot be made is named with the reason"
touch "$work/not-a-folder"
status=0
XDG_DATA_HOME="$work/not-a-folder/data" "$prefix/bin/tlvx-count" --record "$group" \
  >"$work/blocked.out" 2>"$work/blocked.err" || status=$?
[ "$status" = 2 ] || fail "tlvx-count --record with no data folder: status $status, not 2"
grep -qxF "tlvx-count: the history folder cannot be made: $work/not-a-folder/data/tallyvex/verhis: Not a directory" \
  "$work/blocked.err" || fail "the history folder is not named: $(cat "$work/blocked.err")"
[ ! -s "$work/blocked.out" ] || fail "tlvx-count printed a count it could not record"

echo "the manual pages and the metadata"
for page in "$prefix"/share/man/man1/*.1.gz; do
  check_manual_page "$page"
done
check_metainfo "$prefix/share/metainfo/$id.metainfo.xml"

echo "a client built against the installed header"
export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
flags=$(pkg-config --cflags --libs Morcel_TLVX)
case "$flags" in *"$source"*) fail "pkg-config names the source tree: $flags" ;; esac
# A runtime built with the sanitizers needs their runtime first in the client.
sanitizers=()
if readelf -d "$prefix/$program_dir/libtlvxplatform.so" | grep -q 'libasan'; then
  sanitizers=(-fsanitize=address,undefined)
fi
c++ -std=c++20 -Wall -Wextra -Werror "${sanitizers[@]}" "$source/tests/packaging/installed_client.cpp" \
  $flags -o "$work/client"
printf 'one\r\ntwo\r\nthree' >"$work/three.txt"
(cd "$work/home" && "$work/client" "$work/three.txt" >"$work/client.txt")
printf 'lines 3 3\nbase64 VGFsbHl2ZXg=\n' | diff -u - "$work/client.txt" || fail "the client's calls went wrong"
echo "PASS"
