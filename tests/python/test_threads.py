# Counting releases the GIL: several threads counting at once give what
# counting one after the other gives.
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import skaldur


# Catches state shared between calls (a static buffer, a shared counter)
# that concurrent counts would mix up.
def test_concurrent_counts_equal_serial_counts():
    rng = np.random.default_rng(1)
    series = [np.cumsum(rng.normal(size=200_000)).astype(dtype)
              for dtype in (np.float32, np.float64, np.float32, np.float64)]
    curve = skaldur.curve(6)

    def work(x):
        return skaldur.cycles(x, ends="keep"), skaldur.assess(x, curve, unit="MPa").damage

    serial = [work(x) for x in series]
    with ThreadPoolExecutor(max_workers=4) as pool:
        parallel = list(pool.map(work, series))
    for (c1, d1), (c2, d2) in zip(serial, parallel):
        assert d1 == d2
        for key in c1:
            np.testing.assert_array_equal(c1[key], c2[key])
