# Checks the installation test and the package test share. Sourced; the
# caller's WORK-folder is $work.
#
#   fail TEXT...              tells what failed and ends the test
#   cache_value BUILD NAME    NAME's value in the CMake cache of BUILD
#   check_manual_page PAGE    man renders PAGE (a .1.gz) without a warning
#   check_metainfo FILE       appstreamcli finds the metainfo FILE valid

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cache_value() {
  sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

check_manual_page() {
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" \
    >/dev/null 2>"$work/man.log" || fail "man cannot render $1"
  [ ! -s "$work/man.log" ] || fail "man warns about $1: $(cat "$work/man.log")"
}

check_metainfo() {
  appstreamcli validate --no-net "$1" >"$work/appstream.log" 2>&1 ||
    fail "the metainfo is not valid: $(cat "$work/appstream.log")"
}
