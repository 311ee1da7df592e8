#!/usr/bin/env bash
# The Debian package CPack makes: what lintian says of it (no error, no
# warning), its declared dependencies, its files (licence, changelog,
# manual pages, metadata), and tlvx-count run from it unpacked into a
# temporary root (dpkg -x), counting as the built one does.
#
#   package_test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tlvx-package.XXXXXX")
trap 'status=$?; if [ $status -eq 0 ]; then rm -rf "$work"; else echo "kept: $work" >&2; fi' EXIT
# shellcheck source=installed_checks.sh
. "$source/tests/packaging/installed_checks.sh"
for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-parsechangelog lintian appstreamcli man; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/install_deps.sh installs it)"
done

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  fail "cpack: $(tail -n 20 "$work/cpack.log")"
deb=$(find "$work/out" -maxdepth 1 -name 'tallyvex_*.deb')
[ -n "$deb" ] || fail "no package was made"

echo "lintian"
# Its default level: errors and warnings fail the test, the rest is shown.
# A build with the sanitizers is no package anybody gets (and goes without
# the hardening flags, which the sanitizers replace): lintian is not asked.
if grep -Eq '^TLVX_(SANITIZE|FUZZ):BOOL=ON$' "$build/CMakeCache.txt"; then
  echo "skipped: an instrumented build"
else
  status=0
  lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || status=$?
  cat "$work/lintian.log"
  [ "$status" = 0 ] || fail "lintian finds errors or warnings (status $status)"
fi

echo "declared dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libsqlite3-0 libicu qt6-qpa-plugins libstdc++6 libc6; do
  case "$depends" in *"$needed"*) ;; *) fail "the package does not depend on $needed: $depends" ;; esac
done
[ "$(dpkg-deb -f "$deb" Package)" = tallyvex ] || fail "the package is not named tallyvex"
version=$(sed -n 's/^project(Tallyvex VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"

echo "its files"
dpkg-deb -c "$deb" >"$work/contents"
libdir=$(cache_value "$build" CMAKE_INSTALL_LIBDIR)
for file in ./usr/bin/TLVX ./usr/bin/tlvx-count ./usr/bin/tlvx-regsvr "./usr/$libdir/tallyvex/Morcel_TLVX.so" \
  "./usr/$libdir/pkgconfig/Morcel_TLVX.pc" ./usr/share/metainfo/org.tallyvex.Tallyvex.metainfo.xml \
  ./usr/share/applications/org.tallyvex.Tallyvex.desktop \
  ./usr/share/mime/packages/org.tallyvex.Tallyvex.xml ./usr/share/doc/tallyvex/index.html; do
  grep -q " $file\( ->\|$\)" "$work/contents" || fail "$file is not in the package"
done

dpkg -x "$deb" "$work/root"
doc="$work/root/usr/share/doc/tallyvex"

echo "the licence and the changelog"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" ||
  fail "the copyright file is not in the machine-readable form"
grep -qx 'Copyright: 2026 The Tallyvex developers' "$doc/copyright" || fail "the copyright file names no holder"
grep -qx 'License: Expat' "$doc/copyright" || fail "the copyright file names no MIT (Expat) licence"
# The licence text is the one of LICENSE, word for word.
tr -s ' \n' '  ' <"$source/LICENSE" | grep -o 'Permission is hereby granted.*SOFTWARE\.' >"$work/licence"
sed -n '/^License: Expat$/,$p' "$doc/copyright" | sed '1d; s/^ \.$//; s/^ //' | tr -s ' \n' '  ' |
  grep -o 'Permission is hereby granted.*SOFTWARE\.' | cmp -s - "$work/licence" ||
  fail "the copyright file's licence text differs from LICENSE"
gzip -dc "$doc/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
  fail "the changelog's latest entry is not $version"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Source)" = tallyvex ] || fail "the changelog is not tallyvex's"

echo "the manual pages and the metadata"
for program in "$work"/root/usr/bin/*; do
  page="$work/root/usr/share/man/man1/$(basename "$program").1.gz"
  [ -f "$page" ] || fail "$(basename "$program") has no manual page"
  check_manual_page "$page"
done
metainfo="$work/root/usr/share/metainfo/org.tallyvex.Tallyvex.metainfo.xml"
check_metainfo "$metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo names no release $version"
for document in index.html library.md linux.md departures.md benchmarks.md; do
  [ -s "$doc/$document" ] || fail "$document is not in the package's documentation"
done

echo "tlvx-count from the unpacked package"
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" TLVX_REGISTRY="$work/registry.sqlite"
unset TLVX_COMPONENT_DIR
mkdir -p "$HOME"
cp -r "$source/examples" "$work/examples"
"$build/bin/tlvx-count" "$work/examples/Shop.vbg" >"$work/expected.txt"
"$work/root/usr/bin/tlvx-count" "$work/examples/Shop.vbg" >"$work/unpacked.txt"
diff -u "$work/expected.txt" "$work/unpacked.txt" || fail "the packaged tlvx-count counts otherwise"
"$work/root/usr/bin/tlvx-count" --json "$work/examples/Shop.vbg" | grep -q '"projects"' ||
  fail "the packaged tlvx-count gives no JSON"
echo "PASS"
