"""SKALDUR's fatigue core on numpy arrays.

Stress records, turning points and rainflow cycles, SN curves, the damage as
the dialogue program computes it, damage-equivalent loads and the hot-spot
stress of components; and batch jobs, as skaldur-batch computes them. Every function takes float32 or float64 arrays and
keeps their precision; see each function's docstring for its arguments.
"""

from ._skaldur import (
    AssessError,
    Assessment,
    CycleCounter,
    Curve,
    InputError,
    Record,
    assess,
    catalogue,
    combine,
    curve,
    cycles,
    cycles_to_failure,
    damage_equivalent_load,
    damage_per_year,
    del_,
    equivalent_range,
    joint_points,
    matrix,
    read_curve_file,
    read_record,
    turning_points,
)
from .jobs import JobResult, run_job

__all__ = [
    "AssessError",
    "Assessment",
    "CycleCounter",
    "Curve",
    "InputError",
    "JobResult",
    "Record",
    "assess",
    "catalogue",
    "combine",
    "curve",
    "cycles",
    "cycles_to_failure",
    "damage_equivalent_load",
    "damage_per_year",
    "del_",
    "equivalent_range",
    "joint_points",
    "matrix",
    "read_curve_file",
    "read_record",
    "run_job",
    "turning_points",
]
