#!/usr/bin/env python3
"""The example batch job's load cases spread over a Dask cluster.

    PYTHONPATH=build/release/python /usr/bin/python3 examples/dask/run_on_dask.py [JOB.toml]

Starts a LocalCluster of two worker processes, computes each load case of
the job (default: examples/batch/job.toml, whose records
examples/batch/make-records writes) as one task with skaldur.run_job, and
adds the cases' yearly damages up per hotspot in the table's order, which is
how skaldur-batch sums them: the damage per year is that of its summary.csv
to the last bit. Prints one line per hotspot. Needs Dask (Debian:
apt-get install python3-distributed).
"""
import pathlib
import sys

from dask.distributed import Client, LocalCluster

import skaldur

JOB = pathlib.Path(__file__).resolve().parents[1] / "batch" / "job.toml"


def one_load_case(job, index):
    """The yearly damage of every hotspot under one load case, in job order."""
    part = skaldur.run_job(job, cases=[index], jobs=1)
    return [run["damage_per_year"] for run in part.runs]


def damage_per_year(client, job):
    """Each hotspot's damage per year: one task per load case, summed in order."""
    table = skaldur.run_job(job, cases=[])  # the job read, nothing computed
    names, count = table.hotspots, len(table.load_cases)
    futures = [client.submit(one_load_case, str(job), c, pure=False) for c in range(count)]
    per_case = client.gather(futures)  # in table order, whichever worker finished first
    totals = [0.0] * len(names)
    for yearly in per_case:
        for h, value in enumerate(yearly):
            totals[h] += value
    return dict(zip(names, totals))


def main():
    job = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else JOB
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        totals = damage_per_year(client, job)
    for name, value in totals.items():
        print(f"{name:14s} {value!r}")


if __name__ == "__main__":
    main()
