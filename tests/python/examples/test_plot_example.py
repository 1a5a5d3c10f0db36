# examples/python/count_and_plot.py: it runs, writes two PNG images and
# prints what it counted. Registered only when matplotlib is installed.
import pathlib
import subprocess
import sys

import skaldur

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from conftest import EXAMPLES  # noqa: E402


def test_plots_and_figures(tmp_path):
    # Faults: the example broken by a change of the module's functions, a
    # plot left empty or not written, the wrong column counted.
    done = subprocess.run([sys.executable, str(EXAMPLES / "python" / "count_and_plot.py"),
                           str(tmp_path / "plots")], capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    for name in ("histogram.png", "range-mean.png"):
        image = (tmp_path / "plots" / name).read_bytes()
        assert image.startswith(b"\x89PNG\r\n\x1a\n") and len(image) > 5000, name
    printed = {line[:18].strip(): line[18:].strip() for line in done.stdout.splitlines()}
    record = skaldur.read_record(EXAMPLES / "wave-member.ts", columns=[2])
    axial = record.data[0]
    assert printed["cycles"] == f"{skaldur.cycles(axial)['count'].sum():.1f}"
    damage = skaldur.assess(axial, skaldur.curve(6), unit="MPa").damage
    per_year = skaldur.damage_per_year(damage, record.simulation_length)
    assert printed["damage per year"].startswith(f"{per_year:.6e} ")
