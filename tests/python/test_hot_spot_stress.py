# combine() and joint_points() against hand-worked sums.
import math

import numpy as np
import pytest
import skaldur


# 1e8 + 1 - 1e8 is 1 in double and 0 when summed in float32. Catches a sum
# kept in single precision, and factors taken in another order.
def test_combine_sums_in_double_and_holds_the_dtype():
    big = np.array([1e8, 0.0], dtype=np.float32)
    one = np.array([1.0, 2.0], dtype=np.float32)
    out = skaldur.combine([(big, 1.0), (one, 1.0), (big, -1.0)])
    assert out.dtype == np.float32
    np.testing.assert_array_equal(out, [1.0, 2.0])
    np.testing.assert_array_equal(skaldur.combine([(one, 3.0), (one, -0.5)]), [2.5, 5.0])


# Points 1 (crown), 2 (45 degrees), 3 (saddle) and 7 (saddle, 270 degrees)
# by hand. Catches crown and saddle SCFs swapped, a bending sign turned, and
# rows in another order.
def test_joint_points_by_hand():
    axial, ipb, opb = (np.array([v], dtype=np.float64) for v in (10.0, 4.0, 2.0))
    out = skaldur.joint_points(axial, ipb, opb, axial_crown=2.0, axial_saddle=3.0,
                               in_plane_scf=1.5, out_of_plane_scf=2.5)
    assert out.shape == (8, 1)
    h = math.sqrt(0.5)
    assert out[0, 0] == pytest.approx(2.0 * 10 + 1.5 * 4)
    assert out[1, 0] == pytest.approx(2.5 * 10 + 1.5 * 4 * h - 2.5 * 2 * h)
    assert out[2, 0] == pytest.approx(3.0 * 10 - 2.5 * 2)
    assert out[4, 0] == pytest.approx(2.0 * 10 - 1.5 * 4)
    assert out[6, 0] == pytest.approx(3.0 * 10 + 2.5 * 2)
