#!/usr/bin/env bash
# Benchmarks the analysis on generated VB6 project groups.
#   bash bench/run.sh [BUILD_DIR] [--first-part]
# (--first-part: part 0 only.)
# Needs what scripts/install_deps.sh installs (python3, cmake, the build's
# compilers and Qt) and GNU time (/usr/bin/time, Debian's "time", installed
# by default); hyperfine and cloc only for part 2 below, which is passed
# over without them.
# 0. One read per module and start-up (whole processes, medians of paired
#    runs, bench/process_times.py):
#    - tlvx-count against module_floor, a plain program that opens every
#      module once, reads it and counts its line feeds: on a generated
#      project of 500 modules (target: at most 2 times the floor) and on
#      the examples;
#    - a 13-module project against an empty process (target: within 5 ms);
#    - peak memory, which the largest module bounds, not the project;
#    - the desktop program's time from the choice to the listing of the
#      500-module project on the offscreen platform (target: under 0.15 s);
#    - the one reading against the three it replaced on generated projects
#      with CR LF and with LF line ends (the identity test).
# 1. A group of 10 projects x 500 modules (about 60 MB): analysis time against
#    the floor of reading each module once, and peak memory.
# 2. The whole tlvx-count process on one project of about 500 modules and
#    20 MB against cloc on the same module files (hyperfine).
# 3. Scale: groups of 32,767 positions (the most a group holds) of blank
#    lines, of distinct missing project names and of one real project over
#    and over, and a module path of 50 MB (25 million components): time and
#    peak memory of tlvx-count, which must grow linearly (target: a
#    32,767-position group of blank lines or missing names in under 5 s).
# 4. A group of 64 MiB of blank lines (the largest group file read, 33.5
#    million positions): peak memory must stay that of a small group, since
#    a position without a project path keeps nothing.
# 5. The growth view: the version table, a comparison and the view over
#    200 records of 500 modules each (target: well under a second).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
corpus_tool=${TLVX_CORPUS_TOOL:-$here/../shared/tools/make-vb6-corpus}

# What it needs: GNU time for peak memory, python3, and the generator of
# VB6 corpora (TLVX_CORPUS_TOOL names another); hyperfine and cloc only for
# the comparison, which is left out without them.
missing=()
[ -x /usr/bin/time ] || missing+=("/usr/bin/time (apt-get install time)")
command -v python3 >/dev/null || missing+=("python3 (apt-get install python3)")
[ -f "$corpus_tool" ] || missing+=("the corpus generator $corpus_tool (set TLVX_CORPUS_TOOL)")
if [ ${#missing[@]} -gt 0 ]; then
  printf 'bench/run.sh needs:\n' >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
[ -f "$build/CMakeCache.txt" ] || { echo "bench/run.sh: $build is no build folder (bash scripts/test.sh makes build-test)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$build" -j2 --target analysis_bench tlvx-count module_floor desktop_bench growth_bench >/dev/null
# The identity part needs the tests (a build with BUILD_TESTING on).
cmake --build "$build" -j2 --target program_tests >/dev/null 2>&1 || true
times="python3 $here/bench/process_times.py"

echo "== tlvx-count against the floor: every module opened and read once"
python3 "$corpus_tool" "$work/p500" --projects 1 --modules 500 --lines 1600
p500=$work/p500/Prj001/Prj001.vbp
$times "500-module project (target: A/B at most 2)" \
  "$build/bin/tlvx-count $p500" "$build/bin/module_floor $p500"
$times "the examples" \
  "$build/bin/tlvx-count $here/examples/Shop.vbg" "$build/bin/module_floor $here/examples/Shop.vbg"

echo "== start-up: a 13-module project against an empty process"
python3 "$corpus_tool" "$work/p13" --projects 1 --modules 13 --lines 400
$times --runs 31 "13-module project (target: A-B within 5 ms)" \
  "$build/bin/tlvx-count $work/p13/Prj001/Prj001.vbp" "$(command -v true)"

echo "== peak memory of tlvx-count: a block of the module read, not the project, bounds it"
/usr/bin/time -f "13 modules (0.13 MB): %M KB" "$build/bin/tlvx-count" "$work/p13/Prj001/Prj001.vbp" >/dev/null
/usr/bin/time -f "500 modules (20 MB): %M KB" "$build/bin/tlvx-count" "$p500" >/dev/null

echo "== the desktop program: from the choice to the listing (target: under 0.15 s)"
"$build/bin/desktop_bench" "$p500" 9

echo "== one reading gives what three gave: generated projects, CR LF and LF"
python3 "$corpus_tool" "$work/lf" --projects 2 --modules 100 --line-end lf --seed 3
if [ -x "$build/bin/program_tests" ]; then
  for corpus in "$work/p500" "$work/lf"; do
    TLVX_CORPUS_DIR=$corpus "$build/bin/program_tests" \
      --gtest_filter=OneReadCountTest.CorpusFromEnvironment --gtest_brief=1 | tail -n 1
  done
else
  echo "program_tests is not built (BUILD_TESTING off): passed over"
fi
[ "${2:-}" = "--first-part" ] && exit 0

echo "== analysis against reading each module once"
python3 "$corpus_tool" "$work/group" --projects 10 --modules 500 --lines 400
"$build/bin/analysis_bench" "$work/group/Corpus.vbg"
/usr/bin/time -f "peak memory of tlvx-count on the group: %M KB" \
  "$build/bin/tlvx-count" "$work/group/Corpus.vbg" >/dev/null

echo "== tlvx-count against cloc, one project of 500 modules"
python3 "$corpus_tool" "$work/one" --projects 1 --modules 500 --lines 1600
prj=$(ls "$work"/one/*/*.vbp | head -n 1)
du -sh "$(dirname "$prj")"
if command -v hyperfine >/dev/null && command -v cloc >/dev/null; then
  hyperfine -N --warmup 2 --runs 10 \
    "$build/bin/tlvx-count $prj" \
    "cloc --quiet $(dirname "$prj")"
  echo "target: tlvx-count takes at most a fifth of cloc's time"
else
  echo "hyperfine and cloc are needed for this part (apt-get install hyperfine cloc)"
fi

echo "== scale"
python3 - "$work/scale" <<'PY'
import os, sys
out = sys.argv[1]
os.makedirs(out, exist_ok=True)
n = 32767
def write(name, text):
    with open(os.path.join(out, name), "w", newline="") as f:
        f.write(text)
write("blank.vbg", "VBGROUP 5.0\r\n" + "\r\n" * n)
write("distinct.vbg", "VBGROUP 5.0\r\n" + "".join("Project=p%d.vbp\r\n" % i for i in range(n)))
write("One.vbp", 'Type=Exe\r\nName="One"\r\nMajorVer=1\r\nModule=m; m.bas\r\n')
write("m.bas", 'Attribute VB_Name = "m"\r\n' + "x = 1\r\n" * 20)
write("same.vbg", "VBGROUP 5.0\r\n" + "Project=One.vbp\r\n" * n)
with open(os.path.join(out, "long.vbp"), "wb") as f:
    f.write(b'Type=Exe\r\nName="Long"\r\nModule=m; ' + b"a\\" * 25_000_000 + b"x.bas\r\n")
PY
for case in blank distinct same long; do
  file="$work/scale/$case.vbg"
  [ -f "$file" ] || file="$work/scale/$case.vbp"
  /usr/bin/time -f "$case: %e s, peak memory %M KB" \
    "$build/bin/tlvx-count" "$file" >/dev/null 2>"$work/scale/$case.err" || true
  tail -n 1 "$work/scale/$case.err"
done

echo "== a group of 64 MiB of blank lines"
python3 - "$work/scale/huge-blank.vbg" <<'PY'
import sys
header = "VBGROUP 5.0\r\n"
lines = ((64 << 20) - len(header)) // 2
with open(sys.argv[1], "w", newline="") as f:
    f.write(header + "\r\n" * lines)
PY
# Its 33.5 million "skipped" lines (2.3 GB) go nowhere, the timing to a file.
/usr/bin/time -o "$work/scale/huge-blank.time" -f "huge-blank: %e s, peak memory %M KB" \
  "$build/bin/tlvx-count" "$work/scale/huge-blank.vbg" >/dev/null 2>/dev/null || true
cat "$work/scale/huge-blank.time"
rm -f "$work/scale/huge-blank.vbg"

echo "== the growth of a project over 200 records of 500 modules"
"$build/bin/growth_bench" 200 500
