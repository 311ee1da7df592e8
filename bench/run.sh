#!/usr/bin/env bash
# Benchmarks the analysis on generated VB6 project groups.
#   bash bench/run.sh [BUILD_DIR]
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
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$build" -j2 --target analysis_bench growth_bench tlvx-count >/dev/null

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
