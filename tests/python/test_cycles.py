# cycles(), turning_points() and matrix() against hand-worked cases and a
# plain reference counter written from the rules.
import math

import numpy as np
import pytest
import skaldur


def reference_turning_points(series, keep):
    """Runs of equal values become one point at the run's last sample; a
    point turns where the direction changes. The last value counts only when
    kept, the first when kept or held (a run that starts the series)."""
    runs = []  # value, last sample, length
    for i, v in enumerate(series):
        if runs and runs[-1][0] == v:
            runs[-1] = (v, i, runs[-1][2] + 1)
        else:
            runs.append((v, i, 1))
    points = []
    for k, (v, i, length) in enumerate(runs):
        last = k == len(runs) - 1
        if 0 < k and not last:
            turns = (runs[k - 1][0] - v) * (runs[k + 1][0] - v) > 0
        elif k == 0:
            turns = keep or (length > 1 and not last)
        else:
            turns = keep
        if turns:
            points.append((v, i))
    return points


def reference_cycles(series, keep):
    """The four-point rule, then each residue pair as a half cycle."""
    stack, out = [], []
    for p in reference_turning_points(series, keep):
        stack.append(p)
        while len(stack) >= 4:
            s1, s2, s3, s4 = (q[0] for q in stack[-4:])
            if min(s1, s4) <= min(s2, s3) and max(s2, s3) <= max(s1, s4):
                out.append((stack[-3], stack[-2], 1.0))
                del stack[-3:-1]
            else:
                break
    out += [(a, b, 0.5) for a, b in zip(stack, stack[1:])]
    return out


# The standard's example -2, 1, -3, 5, -1, 3, -4, 4, -2 with the ends kept:
# ranges 3 (0.5), 4 (1.5), 6 (0.5), 8 (1.0), 9 (0.5). Catches from and to
# swapped, range or mean worked out wrongly, and indices off by one.
def test_the_standards_example_by_hand():
    c = skaldur.cycles(np.array([-2, 1, -3, 5, -1, 3, -4, 4, -2], dtype=np.float64), ends="keep")
    assert list(c["from"][:2]) == [-1, -2] and list(c["to"][:2]) == [3, 1]
    ranges = {}
    for r, n in zip(c["range"], c["count"]):
        ranges[r] = ranges.get(r, 0.0) + n
    assert ranges == {3: 0.5, 4: 1.5, 6: 0.5, 8: 1.0, 9: 0.5}
    np.testing.assert_array_equal(c["mean"], (c["from"] + c["to"]) / 2)
    np.testing.assert_array_equal(c["from_index"][:2], [4, 0])
    np.testing.assert_array_equal(c["to_index"][:2], [5, 1])


# Catches any column of the result filled from the wrong cycle field, and
# the ends convention handed over inverted.
@pytest.mark.parametrize("ends", ["drop", "keep"])
def test_random_series_match_the_reference_counter(ends):
    rng = np.random.default_rng(3)
    for _ in range(300):
        series = rng.integers(-4, 5, size=int(rng.integers(0, 40))).astype(np.float64)
        got = skaldur.cycles(series, ends=ends)
        want = reference_cycles(list(series), ends == "keep")
        assert list(got["from"]) == [a[0] for a, _, _ in want]
        assert list(got["to"]) == [b[0] for _, b, _ in want]
        assert list(got["from_index"]) == [a[1] for a, _, _ in want]
        assert list(got["to_index"]) == [b[1] for _, b, _ in want]
        assert list(got["count"]) == [n for _, _, n in want]
        values, at = skaldur.turning_points(series, ends=ends)
        assert list(zip(values, at)) == reference_turning_points(list(series), ends == "keep")


def reference_matrix(c, first_bin, second_bin, scale, static):
    cells = {}
    for f, t, n in zip(c["from"], c["to"], c["count"]):
        f, t = float(f) * scale + static, float(t) * scale + static
        key = (math.floor(abs(t - f) / first_bin), math.floor((f + t) / 2 / second_bin))
        cells[key] = cells.get(key, 0.0) + n
    return cells


# Catches bins taken before scaling or with the static stress on the range,
# widths swapped, and cells out of order.
def test_range_mean_cells_match_a_plain_binning():
    rng = np.random.default_rng(9)
    series = rng.normal(0.0, 40.0, size=3000).astype(np.float32)
    c = skaldur.cycles(series)
    got = skaldur.matrix(c, range_bin=0.5, mean_bin=0.2, scale=0.01, static_stress=3.0)
    from_series = skaldur.matrix(series, range_bin=0.5, mean_bin=0.2, scale=0.01,
                                 static_stress=3.0)
    cells = dict(zip(zip(got["first"], got["second"]), got["cycles"]))
    assert cells == reference_matrix(c, 0.5, 0.2, 0.01, 3.0)
    keys = list(zip(got["first"], got["second"]))
    assert keys == sorted(keys)
    np.testing.assert_array_equal(got["first_low"], got["first"] * 0.5)
    for key in got:
        np.testing.assert_array_equal(got[key], from_series[key])


# The from-to matrix bins both points by `bin`; range only by range_bin.
def test_from_to_and_range_matrices():
    c = skaldur.cycles(np.array([0, 10, 2, 7, 1, 9], dtype=np.float64), ends="keep")
    ft = skaldur.matrix(c, kind="from-to", bin=5.0)
    want = {}
    for f, t, n in zip(c["from"], c["to"], c["count"]):
        want[(math.floor(f / 5), math.floor(t / 5))] = want.get((math.floor(f / 5), math.floor(t / 5)), 0) + n
    assert dict(zip(zip(ft["first"], ft["second"]), ft["cycles"])) == want
    r = skaldur.matrix(c, kind="range", range_bin=5.0)
    assert set(r["second"]) == {0}
    assert sum(r["cycles"]) == sum(c["count"])
