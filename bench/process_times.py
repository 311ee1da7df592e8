#!/usr/bin/env python3
"""Times two commands as whole processes, side by side.

    process_times.py [--runs N] [--warmup N] LABEL 'COMMAND A' 'COMMAND B'

Runs A and B in turn (A B A B ...) after the warm-up runs, output thrown
away, and prints for each the median wall time, then the median of the
pairwise ratios A/B and of the differences A - B. Pairing the runs keeps a
comparison fair while the machine's speed drifts; the medians keep one
disturbed run from moving it. (Peak memory is not measured here: a child
of this process starts with its size.)
"""
import argparse
import shlex
import statistics
import subprocess
import time


def run_once(argv):
    start = time.perf_counter()
    status = subprocess.call(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    if status != 0:
        raise SystemExit("%s ended with status %d" % (shlex.join(argv), status))
    return seconds


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--runs", type=int, default=9)
    ap.add_argument("--warmup", type=int, default=2)
    ap.add_argument("label")
    ap.add_argument("a")
    ap.add_argument("b")
    args = ap.parse_args()
    a, b = shlex.split(args.a), shlex.split(args.b)
    for _ in range(args.warmup):
        run_once(a)
        run_once(b)
    ta, tb = [], []
    for _ in range(args.runs):
        ta.append(run_once(a))
        tb.append(run_once(b))
    ratio = statistics.median(x / y for x, y in zip(ta, tb))
    diff = statistics.median(x - y for x, y in zip(ta, tb))
    print("%s (median of %d)" % (args.label, args.runs))
    print("  A %8.2f ms  %s" % (statistics.median(ta) * 1e3, args.a))
    print("  B %8.2f ms  %s" % (statistics.median(tb) * 1e3, args.b))
    print("  A/B %.2f   A-B %.2f ms" % (ratio, diff * 1e3))


if __name__ == "__main__":
    main()
