# SN curves, lives, equivalent ranges and damage-equivalent loads against
# hand-worked values and the published sine.
import math

import numpy as np
import pytest
import skaldur

from conftest import EXAMPLES


# Curve 6, NORSOK D in air: LogA 12.164, m 3 down to 10^7 cycles, then
# LogA 15.606, m 5; Tref 25 mm, k 0.2, kHigh 0. Each row: range, thickness,
# SCF, whether the thickness factor (t / Tref)^k applies. Catches the
# thickness factor or the SCF left out or applied twice, a thickness below
# Tref not raised to it, and kHigh (0) not taken above an SCF of 10.
@pytest.mark.parametrize("s,thickness,scf,thick", [
    (100.0, 0.0, 1.0, False),
    (100.0, 50.0, 1.5, True),
    (100.0, 10.0, 1.0, False),
    (10.0, 50.0, 12.0, False),
    (20.0, 0.0, 1.0, False),
])
def test_lives_on_a_two_slope_curve(s, thickness, scf, thick):
    curve = skaldur.curve("norsok d air")
    assert curve.number == 6
    tref, k = curve.record[15], curve.record[16]  # positions 16 and 17
    assert (tref, round(k, 6)) == (25.0, 0.2)
    entered = s * scf * ((thickness / tref) ** k if thick else 1.0)
    (log_a1, m1, _), (log_a2, m2, _) = curve.segments
    knee = (10.0 ** log_a1 / 1e7) ** (1 / m1)
    log_a, m = (log_a1, m1) if entered > knee else (log_a2, m2)
    n = skaldur.cycles_to_failure(curve, np.array([s]), thickness=thickness, scf=scf)
    assert n[0] == pytest.approx(10.0 ** log_a * entered ** -m, rel=1e-12)


# Catches the damage divided by something else than n_eq, or the thickness
# factor left on the equivalent range.
@pytest.mark.parametrize("s", [15.0, 40.0, 300.0])
def test_equivalent_range_gives_back_the_range(s):
    curve = skaldur.curve(6)
    n = skaldur.cycles_to_failure(curve, np.array([s]), thickness=50.0)[0]
    damage = 2e6 / n
    assert skaldur.equivalent_range(damage, curve, n_eq=2e6, thickness=50.0) == pytest.approx(s, rel=1e-12)


# The published check: 5 sin(2 pi t), t = 0, 0.1, ..., 9.9, m = 4, f_eq =
# 1 Hz, ends kept, residue repeated: DEL 9.534491302 (9.534490942 from
# single precision). Catches N_eq taken otherwise than f_eq x the length,
# exponents out of order, conventions not handed over.
def test_del_of_the_published_sine():
    t = np.arange(100) * 0.1
    sine = 5.0 * np.sin(2.0 * np.pi * t)
    args = dict(m=[4.0, 3.0], simulation_length=9.9, ends="keep", residue="repeated")
    d64 = skaldur.damage_equivalent_load(sine, **args)
    assert d64[0] == pytest.approx(9.534491302, abs=5e-10)
    d32 = skaldur.del_(sine.astype(np.float32), **args)
    assert d32[0] == pytest.approx(9.534490942, abs=5e-10)
    halves = skaldur.del_(sine, m=[4.0], simulation_length=9.9, ends="keep")
    assert halves[0] == pytest.approx(9.420903805, abs=5e-10)
    assert skaldur.del_(sine * 1e6, m=[4.0], n_eq=9.9, scale=1e-6, ends="keep",
                        residue="repeated")[0] == pytest.approx(d64[0], rel=1e-12)


# Catches a definition file's title or segments read wrongly.
def test_definition_file_curve():
    curve = skaldur.read_curve_file(EXAMPLES / "class-d-seawater.sn")
    assert curve.number == 0
    assert curve.label == "Class D weld detail in sea water with cathodic protection (user curve)"
    assert curve.segments == [(11.764, 3.0, 1.0e6), (15.606, 5.0, 0.0)]


def test_catalogue_names_every_curve():
    names = skaldur.catalogue()
    assert list(names) == list(range(1, 51))
    assert names[6] == "NORSOK  D   AIR"
    assert skaldur.curve(names[20]).number == 20


# Catches a year other than 365 days.
def test_damage_per_year():
    assert skaldur.damage_per_year(1.0, 31536000.0 / 4) == 4.0
    assert math.isclose(skaldur.damage_per_year(4.96335e-05, 10800.0), 0.1449298, rel_tol=1e-6)
