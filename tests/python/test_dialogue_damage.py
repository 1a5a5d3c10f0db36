# assess() with the dialogue's settings gives the dialogue's "Computed
# Damage": on the bundled example and on random records, curves, units,
# SCFs, thicknesses, blocks and time windows.
import random

import numpy as np
import pytest
import skaldur

from conftest import EXAMPLES, computed_damage, run_dialogue, write_record


def printed(value):
    return "%.5E" % value


# Catches a unit, SCF or curve handed over wrongly, a reader that differs
# from the dialogue's, and a damage taken off another path.
def test_bundled_example_gives_the_dialogues_damage(tmp_path):
    status, console = run_dialogue(tmp_path, [
        "print.txt", str(EXAMPLES / "wave-member.ts"), "", "", "MPa", "1.0", "", "", "y", "6",
        "", "n", "n"])
    assert status == 0
    record = skaldur.read_record(EXAMPLES / "wave-member.ts", columns=2)
    result = skaldur.assess(record.data[0], skaldur.curve(6), unit="MPa")
    assert computed_damage(console) == printed(result.damage) == "4.96335E-05"
    assert printed(skaldur.damage_per_year(result.damage, record.simulation_length)) == "1.44930E-01"


def random_case(rng, k):
    n = rng.choice([3, 6, 40, 300, 2000])
    level = rng.choice([1.0, 30.0, 200.0])
    walk = np.cumsum(np.random.default_rng(k).normal(0.0, level, size=(n, 2)), axis=0)
    if k % 5 == 0:
        walk = np.round(walk / level) * level  # held values
    return {
        "columns": [walk[:, 0] + 50.0, walk[:, 1]],
        "column": rng.choice([2, 3]),
        "unit": rng.choice(["Pa", "MPa"]),
        "scf": rng.choice([1.0, 1.7, 2.5, 12.0]),
        "thickness": rng.choice([0.0, 16.0, 40.0, 75.0]),
        "blocks": rng.choice([500, 1, 37, 250]),
        "curve": rng.randint(1, len(skaldur.catalogue())),
        "window": rng.choice([None, (10.0, 300.0)]),
    }


def dialogue_answers(case, record_path):
    first, last = case["window"] or ("", "")
    return ["print.txt", str(record_path), str(first), str(last), case["unit"],
            str(case["scf"]), str(case["thickness"]) if case["thickness"] else "",
            str(case["blocks"]), "y", str(case["curve"]), str(case["column"]), "n", "n"]


# Catches any setting that the module passes otherwise than the dialogue
# does (thickness, SCF, blocks, unit, column, window), and a failure that one
# reports and the other does not.
@pytest.mark.parametrize("k", range(100))
def test_random_records_give_the_dialogues_damage(tmp_path, k):
    case = random_case(random.Random(k), k)
    path = tmp_path / "record.ts"
    write_record(path, case["columns"])
    status, console = run_dialogue(tmp_path, dialogue_answers(case, path))
    first, last = case["window"] or (0.0, 1e30)
    record = skaldur.read_record(path, columns=[case["column"]], first_time=first, last_time=last)
    arguments = dict(unit=case["unit"], scf=case["scf"], thickness=case["thickness"],
                     blocks=case["blocks"])
    try:
        result = skaldur.assess(record.data[0], skaldur.curve(case["curve"]), **arguments)
    except skaldur.AssessError:
        assert status == 1 and "Computed Damage" not in console
        return
    assert status in (0, 1)  # 1 for a damage beyond the doubles
    assert computed_damage(console) == printed(result.damage)
    # The same values in double take the cycle-by-cycle path: to the bit.
    again = skaldur.assess(record.data[0].astype(np.float64), skaldur.curve(case["curve"]),
                           **arguments)
    assert again.damage == result.damage
    assert np.array_equal(again.histogram, result.histogram)
