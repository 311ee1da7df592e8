#!/usr/bin/env bash
# Benchmarks the analysis on generated VB6 project groups.
#   bash bench/run.sh [BUILD_DIR]
# 1. A group of 10 projects x 500 modules (about 60 MB): analysis time against
#    the floor of reading each module once, and peak memory.
# 2. The whole tlvx-count process on one project of about 500 modules and
#    20 MB against cloc on the same module files (hyperfine).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
corpus_tool=${TLVX_CORPUS_TOOL:-$here/../shared/tools/make-vb6-corpus}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$build" -j2 --target analysis_bench tlvx-count >/dev/null

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
