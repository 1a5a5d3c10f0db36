# CycleCounter fed in chunks counts what cycles() counts of the whole series.
import numpy as np
import pytest
import skaldur

CONVENTIONS = [("drop", "half"), ("keep", "half"), ("keep", "repeated"), ("drop", "repeated")]


def assert_same_cycles(a, b):
    assert a.keys() == b.keys()
    for key in a:
        assert a[key].dtype == b[key].dtype, key
        np.testing.assert_array_equal(a[key], b[key], err_msg=key)


# Catches state lost between chunks (a held run or a half-decided turning
# point at a split), indices restarting with each chunk, and chunks that
# are counted in another precision than the counter's.
@pytest.mark.parametrize("ends,residue", CONVENTIONS)
@pytest.mark.parametrize("dtype", [np.float32, np.float64])
def test_random_splits_give_the_whole_series_cycles(ends, residue, dtype):
    rng = np.random.default_rng(7)
    for _ in range(200):
        n = int(rng.integers(0, 60))
        series = rng.integers(-3, 4, size=n).astype(dtype)  # many held values
        whole = skaldur.cycles(series, ends=ends, residue=residue)
        counter = skaldur.CycleCounter(ends=ends, residue=residue, dtype=dtype)
        cuts = np.sort(rng.integers(0, n + 1, size=int(rng.integers(0, 6))))
        for chunk in np.split(series, cuts):
            counter.feed(chunk)
        assert_same_cycles(counter.finish(), whole)


# Catches a strided chunk read as if it were contiguous.
def test_strided_chunks_are_read_by_their_strides():
    series = np.sin(np.linspace(0.0, 40.0, 801))
    counter = skaldur.CycleCounter(dtype=np.float64)
    counter.feed(series[::2][:150])
    counter.feed(series[::2][150:])
    assert_same_cycles(counter.finish(), skaldur.cycles(series[::2].copy()))


# Catches a counter that goes on after finish() (a second residue).
def test_a_finished_counter_takes_no_more_values():
    counter = skaldur.CycleCounter()
    counter.feed(np.array([0, 3, 1, 4, 2], dtype=np.float32))
    counter.finish()
    with pytest.raises(ValueError):
        counter.feed(np.array([1.0], dtype=np.float32))
