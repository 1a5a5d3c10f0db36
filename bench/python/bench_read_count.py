#!/usr/bin/env python3
"""Times skaldur's reading and counting against numpy on one long record.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python/bench_read_count.py [LINES] [RUNS]

Writes (once; later runs reuse it) ${TMPDIR:-/tmp}/skaldur-bench-LINES.ts, a
record of LINES lines (default 10^7): the time at 2 Hz and one stress
column, a random walk in MPa with three decimals, from a fixed generator
state. Reads it once untimed so that it sits in the page cache, then times,
RUNS times each (default 3; the median is shown):

  read     skaldur.read_record(path)  vs  numpy.loadtxt(path, usecols=1)
  count    skaldur.turning_points, and skaldur.cycles (which finds the
           turning points too), on the float32 column  vs  a plain numpy
           turning-point pass (np.diff, np.sign, np.flatnonzero)

and prints a table of the medians and their ratios. The numpy pass finds the
turning points only (no cycles); the two reads must give the same values.
"""
import os
import pathlib
import statistics
import sys
import time

import numpy as np

import skaldur


def record_path(lines):
    folder = pathlib.Path(os.environ.get("TMPDIR") or "/tmp")
    return folder / f"skaldur-bench-{lines}.ts"


def write_record(path, lines):
    """A random walk of `lines` steps, written in blocks of a million lines."""
    generator = np.random.default_rng(20261207)
    partial = path.with_suffix(".partial")
    level = 0.0
    with open(partial, "w") as f:
        f.write("# generated record: time [s], stress [MPa]\n")
        for first in range(0, lines, 1_000_000):
            n = min(1_000_000, lines - first)
            steps = generator.normal(0.0, 2.0, n)
            stress = level + np.cumsum(steps)
            level = float(stress[-1])
            time_s = (first + np.arange(n)) * 0.5
            block = np.column_stack((time_s, stress))
            np.savetxt(f, block, fmt="%.1f %.3f")
    partial.rename(path)


def median_time(work, runs):
    times = []
    result = None
    for _ in range(runs):
        start = time.perf_counter()
        result = work()
        times.append(time.perf_counter() - start)
    return statistics.median(times), result


def numpy_turning_points(values):
    """Indices where the slope changes sign, flat stretches skipped."""
    slope = np.sign(np.diff(values))
    moving = np.flatnonzero(slope)
    turns = moving[1:][slope[moving[1:]] != slope[moving[:-1]]]
    return turns


def main():
    lines = int(float(sys.argv[1])) if len(sys.argv) > 1 else 10_000_000
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    path = record_path(lines)
    if not path.exists():
        print(f"writing {path} ...", flush=True)
        write_record(path, lines)
    size = path.stat().st_size
    with open(path, "rb") as f:  # into the page cache
        while f.read(1 << 24):
            pass

    cpu_start = time.process_time()
    t_read, record = median_time(lambda: skaldur.read_record(path), runs)
    cpu_read = (time.process_time() - cpu_start) / runs
    t_loadtxt, table = median_time(
        lambda: np.loadtxt(path, usecols=1, dtype=np.float32, comments="#"), runs)
    stress = record.data[0]
    assert np.array_equal(stress, table), "the two reads differ"

    t_points, (points, _) = median_time(lambda: skaldur.turning_points(stress), runs)
    t_cycles, counted = median_time(lambda: skaldur.cycles(stress), runs)
    t_numpy, turns = median_time(lambda: numpy_turning_points(stress), runs)
    n_points, n_cycles = points.size, counted["count"].sum()

    print(f"{lines} lines, {size / 2**20:.0f} MiB; medians of {runs} runs; load average "
          f"{os.getloadavg()[0]:.1f}; {n_points} turning points, {n_cycles:.1f} cycles "
          f"(numpy: {turns.size} points)")
    print(f"read_record: {cpu_read:.3f} s CPU (both threads) for {t_read:.3f} s wall")
    print(f"| {'task':32s} | {'skaldur':>9s} | {'numpy':>9s} | {'numpy / skaldur':>15s} |")
    print(f"|{'-' * 34}|{'-' * 11}|{'-' * 11}|{'-' * 17}|")
    print(f"| {'read the record':32s} | {t_read:8.3f}s | {t_loadtxt:8.3f}s | "
          f"{t_loadtxt / t_read:15.1f} |")
    print(f"| {'turning points':32s} | {t_points:8.3f}s | {t_numpy:8.3f}s | "
          f"{t_numpy / t_points:15.2f} |")
    print(f"| {'cycles (turning points included)':32s} | {t_cycles:8.3f}s | {t_numpy:8.3f}s | "
          f"{t_numpy / t_cycles:15.2f} |")


if __name__ == "__main__":
    main()
