# Each array is counted in its own precision: float32 stays float32 and
# float64 is never rounded to it.
import numpy as np
import skaldur


# 1 and 1 + 1e-9 are one value in float32 (a flat step) and two in float64
# (a trough and a peak). Catches float64 input rounded to float32 anywhere.
def test_float64_keeps_values_that_float32_merges():
    values = [0.0, 5.0, 1.0, 1.0 + 1e-9, 0.5, 6.0]
    single, _ = skaldur.turning_points(np.array(values, dtype=np.float32))
    double, at = skaldur.turning_points(np.array(values, dtype=np.float64))
    assert single.dtype == np.float32 and double.dtype == np.float64
    np.testing.assert_array_equal(single, [5.0, 0.5])
    np.testing.assert_array_equal(double, [5.0, 1.0, 1.0 + 1e-9, 0.5])
    np.testing.assert_array_equal(at, [1, 2, 3, 4])
    c32 = skaldur.cycles(np.array(values, dtype=np.float32))
    c64 = skaldur.cycles(np.array(values, dtype=np.float64))
    assert c32["from"].dtype == np.float32 and c64["from"].dtype == np.float64
    assert len(c32["count"]) == 1 and len(c64["count"]) == 2


# Catches a dtype taken from the first element or from the platform's
# default float.
def test_results_keep_the_inputs_dtype():
    for dtype in (np.float32, np.float64):
        series = np.array([0, 4, 1, 3, -2, 2], dtype=dtype)
        assert skaldur.cycles(series)["to"].dtype == dtype
        assert skaldur.combine([(series, 2.0)]).dtype == dtype
        assert skaldur.joint_points(series, series, series).dtype == dtype
