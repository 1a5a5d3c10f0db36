# run_job against skaldur-batch's own files for the example job: every
# number must read back from the CSV's shortest text as the same double.
import csv
import sys

import pytest

import skaldur
from conftest import run_batch, write_example_job

CYCLE_KEYS = 'damage = "exact"\nstatic_stress = 40.0\n'
OUTPUTS = """
[outputs]
matrix = { kind = "range-mean", range_bin = 2.0, mean_bin = 5.0 }
del = { m = [3, 4.5], f_eq = 1.0 }
equivalent_range = {}
"""


@pytest.fixture(scope="module")
def example(tmp_path_factory):
    """The example job in a folder of its own, with its records written."""
    folder = write_example_job(tmp_path_factory.mktemp("example"))
    text = (folder / "job.toml").read_text()
    (folder / "cycles.toml").write_text(CYCLE_KEYS + text + OUTPUTS)
    return folder


def read_csv(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def same_row(expected, got, where):
    """Text fields equal; numbers the same double as the CSV's text."""
    assert set(expected) <= set(got), where
    for key, text in expected.items():
        value = got[key]
        if isinstance(value, str):
            assert value == text, (where, key)
        elif value is None:
            assert text == "", (where, key)
        else:
            assert float(text) == value, (where, key, text, repr(value))


@pytest.mark.parametrize("job_name", ["job.toml", "cycles.toml"])
def test_same_numbers_as_the_files_of_skaldur_batch(example, tmp_path, job_name):
    # Faults: a hotspot or load case out of order, a weight or sum not the
    # batch's (one rounding off), the equivalent range, matrix edges or DEL
    # n_eq taken from another rule.
    status, err = run_batch(example / job_name, tmp_path)
    assert status == 0, err
    result = skaldur.run_job(example / job_name, jobs=2)
    assert result.cases == list(range(6)) and len(result.hotspots) == 12
    files = [("summary.csv", result.summary), ("damage.csv", result.runs)]
    if job_name == "cycles.toml":
        matrix = [r for r in read_csv(tmp_path / "matrix.csv") if r["load_case"] != "year"]
        files += [("del.csv", result.dels)]
        assert len(matrix) == len(result.matrix) > 0
        for k, (expected, got) in enumerate(zip(matrix, result.matrix)):
            same_row(expected, got, ("matrix.csv", k))
        assert "equivalent_range" in result.summary[0]
    else:
        assert result.matrix == [] and result.dels == []
        assert "equivalent_range" not in result.summary[0]
    for name, rows in files:
        expected = read_csv(tmp_path / name)
        assert len(expected) == len(rows), name
        for k, (want, got) in enumerate(zip(expected, rows)):
            same_row(want, got, (name, k))


def test_load_cases_one_at_a_time_sum_to_the_summary(example):
    # Faults: keeping the wrong load case of the table when only some are
    # computed, a shard's cases picked off by one, a partial job given a
    # summary that is not the job's.
    whole = skaldur.run_job(example / "job.toml", jobs=1)
    per_case = [skaldur.run_job(example / "job.toml", cases=[c], jobs=1) for c in range(6)]
    for c, part in enumerate(per_case):
        assert part.cases == [c] and part.summary is None
        assert [r["case_index"] for r in part.runs] == [c] * 12
    for h, row in enumerate(whole.summary):
        total = 0.0
        for part in per_case:
            total += part.runs[h]["damage_per_year"]
        assert total == row["damage_per_year"], row["hotspot"]
    shard = skaldur.run_job(example / "job.toml", shard="2/4")
    assert shard.cases == [1, 5]
    assert shard.runs == [r for r in whole.runs if r["case_index"] in (1, 5)]
    assert skaldur.run_job(example / "job.toml", shard=(1, 1)).runs == whole.runs


BROKEN_JOBS = [
    # (what is changed in job.toml, the job key the error names)
    (("blocks = 500", "blocks = \"many\""), "blocks"),
    (("dff = 2.0", "dff = -2.0"), "dff"),
    (("scf = 1.2", "scf = 1.2\ncolour = 3"), "colour"),
    (("column = 3 ", "column = 30 "), "column"),
]


@pytest.mark.parametrize("change,field", BROKEN_JOBS)
def test_input_errors_are_those_of_skaldur_batch(example, tmp_path, change, field):
    # Faults: the place parsed into the wrong attributes, a computation
    # error class for bad input, a message that is not skaldur-batch's.
    job = example / ("broken-" + field + ".toml")
    text = (example / "job.toml").read_text()
    assert change[0] in text
    job.write_text(text.replace(change[0], change[1], 1))
    status, err = run_batch(job, tmp_path)
    assert status == 2
    with pytest.raises(skaldur.InputError) as caught:
        skaldur.run_job(job)
    error = caught.value
    assert "skaldur-batch: " + str(error) == err.splitlines()[0]
    assert error.path == str(job) and error.field == field and error.line > 0
    line = text.replace(change[0], change[1], 1).splitlines()[error.line - 1]
    assert field.split(".")[0] in line and error.reason in str(error)


def test_failures_and_bad_arguments(example, tmp_path, monkeypatch):
    # Faults: a computation failure reported as bad input or not at all, an
    # index past the table read out of bounds, a shard not checked.
    job = example / "goodman.toml"
    job.write_text('damage = "exact"\nstatic_stress = 40.0\n'
                   'mean_stress = { method = "goodman", ultimate = 30.0 }\n'
                   + (example / "job.toml").read_text())
    assert run_batch(job, tmp_path)[0] == 1
    with pytest.raises(skaldur.AssessError) as caught:
        skaldur.run_job(job)
    assert caught.value.kind is None
    with pytest.raises(IndexError):
        skaldur.run_job(example / "job.toml", cases=[6])
    for shard in ("3/2", "0/4", (1, 2, 3)):
        with pytest.raises(ValueError):
            skaldur.run_job(example / "job.toml", shard=shard)
    with pytest.raises(skaldur.InputError):
        skaldur.run_job(example / "no-such-job.toml")
    result = skaldur.run_job(example / "job.toml", cases=[0])
    monkeypatch.setitem(sys.modules, "pandas", None)
    with pytest.raises(ImportError, match="python3-pandas"):
        result.damage_frame()
