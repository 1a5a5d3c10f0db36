# Shared helpers of the module's tests: the built program, the examples,
# and records written as the programs read them.
import os
import pathlib
import subprocess

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
