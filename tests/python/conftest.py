# Shared helpers of the module's tests: the built program, the examples,
# and records written as the programs read them.
import os
import pathlib
import shutil
import subprocess
import sys

import numpy as np
import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = REPO / "examples"


def write_record(path, columns, step=0.5, header=None):
    """Writes a record: time, then the columns (float32 values, exactly)."""
    columns = [np.asarray(c, dtype=np.float32) for c in columns]
    with open(path, "w") as f:
        f.write("# a record written by the tests\n")
        if header:
            f.write("# " + " ".join(header) + "\n")
        for k in range(len(columns[0])):
            values = " ".join(repr(float(c[k])) for c in columns)
            f.write(f"{k * step:.3f} {values}\n")


def run_dialogue(workdir, answers):
    """Runs skaldur with the answers piped in; returns (status, console)."""
    exe = os.environ.get("SKALDUR_EXE")
    if not exe:
        pytest.skip("SKALDUR_EXE is not set (run through ctest)")
    done = subprocess.run([exe], input="\n".join(answers) + "\n", capture_output=True,
                          text=True, cwd=workdir, timeout=60)
    return done.returncode, done.stdout


def computed_damage(console):
    """The value of the console's "Computed Damage" line, as printed."""
    for line in console.splitlines():
        if line.strip().startswith("Computed Damage ") and "per Year" not in line:
            return line.split(":")[1].strip()
    raise AssertionError("no Computed Damage line in:\n" + console[-2000:])


def write_example_job(root):
    """The example batch job copied into root/batch with its records written
    (and its curve file beside, as the job names it); returns root/batch."""
    folder = root / "batch"
    folder.mkdir()
    for name in ("job.toml", "seastates.csv"):
        shutil.copy(EXAMPLES / "batch" / name, folder / name)
    shutil.copy(EXAMPLES / "class-d-seawater.sn", root / "class-d-seawater.sn")
    subprocess.run([sys.executable, str(EXAMPLES / "batch" / "make-records"), str(folder)],
                   check=True, capture_output=True)
    return folder


def run_batch(job, out):
    """Runs skaldur-batch on the job into out; returns (status, stderr)."""
    exe = os.environ.get("SKALDUR_BATCH_EXE")
    if not exe:
        pytest.skip("SKALDUR_BATCH_EXE is not set (run through ctest)")
    done = subprocess.run([exe, "run", str(job), "--out", str(out), "--quiet", "--jobs", "2"],
                          capture_output=True, text=True, timeout=300)
    return done.returncode, done.stderr
