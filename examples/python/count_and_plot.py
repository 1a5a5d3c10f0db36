#!/usr/bin/env python3
"""Counts the bundled record, plots its cycles and prints its DEL and damage.

    PYTHONPATH=build/release/python /usr/bin/python3 examples/python/count_and_plot.py [FOLDER]

Reads the axial stress of examples/wave-member.ts (3 hours at 2 Hz, MPa),
counts its rainflow cycles, and writes into FOLDER (default: a new temporary
folder) histogram.png, the cycles per 2 MPa range bin, and range-mean.png,
the range-mean matrix of 2 MPa x 5 MPa bins; then prints the DELs for m = 3
and 5 at 1 Hz and the damage per year on catalogue curve 6. Needs matplotlib
(Debian: apt-get install python3-matplotlib); draws without a display.
"""
import pathlib
import sys
import tempfile

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import skaldur  # noqa: E402

RECORD = pathlib.Path(__file__).resolve().parents[1] / "wave-member.ts"
RANGE_BIN = 2.0  # MPa
MEAN_BIN = 5.0  # MPa


def plot_histogram(counted, path):
    bins = np.floor(counted["range"] / RANGE_BIN)
    edges = np.arange(0.0, (bins.max() + 2) * RANGE_BIN, RANGE_BIN)
    figure, axes = plt.subplots(figsize=(7, 4))
    axes.hist(counted["range"], bins=edges, weights=counted["count"], color="steelblue")
    axes.set_yscale("log")
    axes.set_xlabel("stress range [MPa]")
    axes.set_ylabel("cycles")
    axes.set_title("Rainflow histogram, " + RECORD.name)
    figure.tight_layout()
    figure.savefig(path, dpi=100)
    plt.close(figure)


def plot_matrix(cells, path):
    ranges = cells["first"] - cells["first"].min()
    means = cells["second"] - cells["second"].min()
    grid = np.zeros((means.max() + 1, ranges.max() + 1))
    np.add.at(grid, (means, ranges), cells["cycles"])
    extent = (cells["first_low"].min(), cells["first_low"].max() + RANGE_BIN,
              cells["second_low"].min(), cells["second_low"].max() + MEAN_BIN)
    figure, axes = plt.subplots(figsize=(7, 4))
    shown = axes.imshow(np.ma.masked_equal(grid, 0.0), origin="lower", aspect="auto",
                        extent=extent, cmap="viridis")
    figure.colorbar(shown, ax=axes, label="cycles")
    axes.set_xlabel("stress range [MPa]")
    axes.set_ylabel("mean stress [MPa]")
    axes.set_title("Range-mean matrix, " + RECORD.name)
    figure.tight_layout()
    figure.savefig(path, dpi=100)
    plt.close(figure)


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else tempfile.mkdtemp(prefix="skaldur-"))
    folder.mkdir(parents=True, exist_ok=True)
    record = skaldur.read_record(RECORD, columns=[2])
    stress = record.data[0]
    counted = skaldur.cycles(stress)
    cells = skaldur.matrix(counted, kind="range-mean", range_bin=RANGE_BIN, mean_bin=MEAN_BIN)
    plot_histogram(counted, folder / "histogram.png")
    plot_matrix(cells, folder / "range-mean.png")

    dels = skaldur.damage_equivalent_load(stress, m=[3, 5], f_eq=1.0,
                                          simulation_length=record.simulation_length)
    assessment = skaldur.assess(stress, skaldur.curve(6), unit="MPa")
    per_year = skaldur.damage_per_year(assessment.damage, record.simulation_length)
    print(f"record            {RECORD.name}: {record.steps} steps, "
          f"{record.simulation_length:.1f} s")
    print(f"cycles            {counted['count'].sum():.1f}")
    print(f"DEL m=3, 1 Hz     {dels[0]:.3f} MPa")
    print(f"DEL m=5, 1 Hz     {dels[1]:.3f} MPa")
    print(f"damage per year   {per_year:.6e} (curve 6: {skaldur.curve(6).label.strip()})")
    print(f"plots             {folder / 'histogram.png'}, {folder / 'range-mean.png'}")


if __name__ == "__main__":
    main()
