#!/usr/bin/env bash
# The Debian package CPack makes: its declared dependencies, its files, and
# tlvx-count run from it unpacked into a temporary root (dpkg -x), counting
# as the built one does.
#
#   package_test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tlvx-package.XXXXXX")
trap 'status=$?; if [ $status -eq 0 ]; then rm -rf "$work"; else echo "kept: $work" >&2; fi' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/install_deps.sh installs it)"
done

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  fail "cpack: $(tail -n 20 "$work/cpack.log")"
deb=$(find "$work/out" -maxdepth 1 -name 'tallyvex_*.deb')
[ -n "$deb" ] || fail "no package was made"

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
for file in ./usr/bin/TLVX ./usr/bin/tlvx-count ./usr/lib/tallyvex/Morcel_TLVX.so \
  ./usr/share/applications/org.tallyvex.Tallyvex.desktop \
  ./usr/share/mime/packages/org.tallyvex.Tallyvex.xml ./usr/share/doc/tallyvex/index.html; do
  grep -q " $file\( ->\|$\)" "$work/contents" || fail "$file is not in the package"
done

echo "tlvx-count from the unpacked package"
dpkg -x "$deb" "$work/root"
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
