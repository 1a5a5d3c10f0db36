# examples/dask/run_on_dask.py on a copy of the example job: the damage per
# year it prints for each hotspot must be summary.csv's, bit for bit.
# Registered only when Dask is installed.
import csv
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from conftest import EXAMPLES, run_batch, write_example_job  # noqa: E402


def test_dask_sum_is_the_summary_of_skaldur_batch(tmp_path):
    # Faults: load cases summed out of table order (the last bits differ),
    # a case computed twice or left out, a hotspot's values under another.
    job = write_example_job(tmp_path) / "job.toml"
    status, err = run_batch(job, tmp_path / "out")
    assert status == 0, err
    done = subprocess.run([sys.executable, str(EXAMPLES / "dask" / "run_on_dask.py"), str(job)],
                          capture_output=True, text=True, timeout=600)
    assert done.returncode == 0, done.stderr
    printed = dict(line.split() for line in done.stdout.splitlines())
    with open(tmp_path / "out" / "summary.csv", newline="") as f:
        rows = list(csv.DictReader(f))
    assert len(printed) == len(rows) == 12
    for row in rows:
        assert float(printed[row["hotspot"]]) == float(row["damage_per_year"]), row["hotspot"]
