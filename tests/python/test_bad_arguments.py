# Every function refuses bad arguments with the documented exception, and
# awkward but valid series (empty, one value, NaN, inf) never crash.
import numpy as np
import pytest
import skaldur

X = np.array([0, 4, 1, 3, -2, 2, 0, 5], dtype=np.float32)
C6 = skaldur.curve(6)


def closed_file(tmp_path):
    f = open(tmp_path / "f.ts", "w")
    f.close()
    return f


BAD = [
    ("2-D series", lambda: skaldur.cycles(np.zeros((3, 3))), ValueError),
    ("complex series", lambda: skaldur.cycles(np.zeros(3, dtype=complex)), TypeError),
    ("text series", lambda: skaldur.cycles("0 1 2"), TypeError),
    ("None series", lambda: skaldur.turning_points(None), TypeError),
    ("unknown ends", lambda: skaldur.cycles(X, ends="both"), ValueError),
    ("unknown residue", lambda: skaldur.cycles(X, residue="full"), ValueError),
    ("counter dtype", lambda: skaldur.CycleCounter(dtype=np.int32), TypeError),
    ("chunk of the other dtype",
     lambda: skaldur.CycleCounter(dtype=np.float64).feed(X), TypeError),
    ("matrix kind", lambda: skaldur.matrix(X, kind="mean", range_bin=1.0), ValueError),
    ("negative width", lambda: skaldur.matrix(X, range_bin=-1.0, mean_bin=1.0), ValueError),
    ("missing width", lambda: skaldur.matrix(X, range_bin=1.0), ValueError),
    ("NaN in a matrix", lambda: skaldur.matrix(
        {"from": np.array([np.nan]), "to": np.array([1.0]), "count": np.array([1.0])},
        kind="range", range_bin=1.0), ValueError),
    ("curve number", lambda: skaldur.curve(51), ValueError),
    ("curve name", lambda: skaldur.curve("no such curve"), ValueError),
    ("curve type", lambda: skaldur.curve(6.0), TypeError),
    ("unit", lambda: skaldur.assess(X, C6, unit="kPa"), ValueError),
    ("negative scf", lambda: skaldur.assess(X, C6, scf=-1.0), ValueError),
    ("negative thickness", lambda: skaldur.assess(X, C6, thickness=-5.0), ValueError),
    ("blocks", lambda: skaldur.assess(X, C6, blocks=501), ValueError),
    ("damage method", lambda: skaldur.assess(X, C6, damage="miner"), ValueError),
    ("mean stress on blocks",
     lambda: skaldur.assess(X, C6, mean_stress=("dnv", 0.6)), ValueError),
    ("mean stress name",
     lambda: skaldur.assess(X, C6, damage="exact", mean_stress=("walker", 0.6)), ValueError),
    ("dnv p", lambda: skaldur.assess(X, C6, damage="exact", mean_stress=("dnv", 2.0)), ValueError),
    ("too short", lambda: skaldur.assess(X[:3], C6), skaldur.AssessError),
    ("NaN range", lambda: skaldur.assess(np.array([0, 5, 1, np.inf, 0, 4], np.float32), C6),
     skaldur.AssessError),
    ("year of no length", lambda: skaldur.damage_per_year(1.0, 0.0), ValueError),
    ("DEL without N_eq", lambda: skaldur.del_(X), ValueError),
    ("DEL both N_eq", lambda: skaldur.del_(X, n_eq=1e7, simulation_length=10.0), ValueError),
    ("DEL exponent", lambda: skaldur.del_(X, m=[0.0], n_eq=1e7), ValueError),
    ("equivalent n_eq", lambda: skaldur.equivalent_range(1e-3, C6, n_eq=0.0), ValueError),
    ("mixed components", lambda: skaldur.combine([(X, 1.0), (X.astype(float), 1.0)]), TypeError),
    ("unequal components", lambda: skaldur.combine([(X, 1.0), (X[:3], 1.0)]), ValueError),
    ("no components", lambda: skaldur.combine([]), ValueError),
    ("factor text", lambda: skaldur.combine([(X, "2")]), TypeError),
    ("mean stress value", lambda: skaldur.assess(X, C6, damage="exact", mean_stress=("dnv", "x")),
     TypeError),
    ("cycles of text", lambda: skaldur.matrix({"from": ["a"], "to": ["b"], "count": ["c"]},
                                              kind="range", range_bin=1.0), TypeError),
    ("record path type", lambda: skaldur.read_record(3.5), TypeError),
    ("column 1", lambda: skaldur.read_record("x.ts", columns=1), ValueError),
    ("column type", lambda: skaldur.read_record("x.ts", columns=[2.0]), TypeError),
]


# Catches an argument let through to the core unchecked (a crash, or a
# silent default) and an exception of the wrong kind.
@pytest.mark.parametrize("call,error", [(c, e) for _, c, e in BAD], ids=[n for n, _, _ in BAD])
def test_bad_arguments_raise(call, error):
    with pytest.raises(error):
        call()


def test_a_closed_file_object_is_no_path(tmp_path):
    with pytest.raises(TypeError):
        skaldur.read_record(closed_file(tmp_path))


# Catches a crash or a refusal on series the core counts as they are.
@pytest.mark.parametrize("series", [[], [1.0], [np.nan] * 4, [0, np.inf, 0, -np.inf, 1],
                                    [0, np.nan, 3, 1, np.nan, 2]])
@pytest.mark.parametrize("dtype", [np.float32, np.float64])
def test_awkward_series_are_counted(series, dtype):
    values = np.array(series, dtype=dtype)
    for ends in ("drop", "keep"):
        for residue in ("half", "repeated"):
            c = skaldur.cycles(values, ends=ends, residue=residue)
            assert len(c["from"]) == len(c["to"])
        skaldur.turning_points(values, ends=ends)
    counter = skaldur.CycleCounter(dtype=dtype)
    counter.feed(values)
    counter.finish()
    if len(series) < 2:
        assert skaldur.assess(values, C6).damage == 0.0
