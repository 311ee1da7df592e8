#!/usr/bin/env bash
# Builds the fuzz targets with clang (in build-fuzz) and runs each in turn
# on its corpus, which starts from the seeds of make_seeds.sh and keeps
# what the runs find. Stops at the first target that crashes, leaks or
# hangs; the input that did it is left in build-fuzz/findings.
#
#   fuzz/run.sh [--seconds N | --runs N] [TARGET...]
#
# --seconds N runs each target N seconds (30 unless told), --runs N that
# many inputs. Prints each target's executions, time and executions per
# second.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
limit=(-max_total_time=30)
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) limit=(-max_total_time="$2"); shift 2 ;;
    --runs) limit=(-runs="$2"); shift 2 ;;
    *) break ;;
  esac
done
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(project_file_fuzzer group_file_fuzzer module_count_fuzzer
  ini_file_fuzzer version_record_fuzzer base64_fuzzer encoding_detection_fuzzer
  invoke_arguments_fuzzer code_page_fuzzer)

build="$here/build-fuzz"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTLVX_FUZZ=ON -DTLVX_BUILD_TESTS=OFF -DTLVX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz tlvx-count
bash "$here/fuzz/make_seeds.sh" "$build/bin" "$build/seeds" >/dev/null

# Nothing the targets do touches the user's files.
# Their files go to memory where there is a memory file system: a disk
# would make them wait for it.
place=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && place=/dev/shm
scratch=$(mktemp -d "$place/tlvx-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch" HOME="$scratch" XDG_DATA_HOME="$scratch/data"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

mkdir -p "$build/findings"
printf '%-28s %12s %8s %10s\n' target executions seconds 'exec/s'
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/findings/$target.log"
  if ! "$build/bin/$target" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$corpus" "$build/seeds/$target" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "FAIL: $target (log: $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-28s %12s %8s %10s\n' "$target" "$runs" "${seconds:-?}" "$rate"
done
