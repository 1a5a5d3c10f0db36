# Signatures of import skaldur, for editors and type checkers; the compiled
# module _skaldur holds the functions and their full docstrings.
from os import PathLike
from typing import Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

Series = Union[npt.NDArray[np.float32], npt.NDArray[np.float64], Sequence[float]]
Path = Union[str, bytes, PathLike]
Cycles = dict[str, np.ndarray]

class InputError(ValueError):
    """An input file the readers refuse: file, line and reason in the message."""
    path: str
    line: int
    text: str
    reason: str
    field: str  # batch jobs: the job key or table column concerned ("" for none)

class AssessError(ValueError):
    """A series that cannot be assessed; kind names why (too_short, ...), None for a batch job."""
    kind: Union[str, None]

class Record:
    """The chosen columns of a stress record, as read_record reads them."""
    columns: list[int]
    names: list[str]
    data: list[npt.NDArray[np.float32]]
    steps: int
    start_time: float
    simulation_length: float
    def __getitem__(self, column: Union[int, str]) -> npt.NDArray[np.float32]:
        """The values of a column read, by its number or its header name."""
    def __len__(self) -> int: ...

def read_record(path: Path, columns: Union[None, int, str, Sequence[Union[int, str]]] = None,
                first_time: float = 0.0, last_time: float = 1e30) -> Record:
    """Reads stress columns of a record file (time s, stresses), as the programs read it."""

def turning_points(series: Series, ends: str = "drop") -> Tuple[np.ndarray, npt.NDArray[np.int64]]:
    """The turning points of a series (its dtype) and the sample index of each."""

def cycles(series: Series, ends: str = "drop", residue: str = "half") -> Cycles:
    """The rainflow cycles: from, to, range, mean, count, from_index, to_index."""

class CycleCounter:
    """Counts the cycles of a series handed over in chunks, as cycles() counts it whole."""
    def __init__(self, *, ends: str = "drop", residue: str = "half",
                 dtype: npt.DTypeLike = "float32") -> None: ...
    def feed(self, chunk: Series) -> None:
        """Counts the next values of the series (the counter's dtype)."""
    def finish(self) -> Cycles:
        """Ends the series and returns every cycle, as cycles() does."""

def matrix(data: Union[Cycles, Series], *, kind: str = "range-mean",
           range_bin: Union[float, None] = None, mean_bin: Union[float, None] = None,
           bin: Union[float, None] = None, scale: float = 1.0, static_stress: float = 0.0,
           ends: str = "drop", residue: str = "half") -> dict[str, Union[np.ndarray, float]]:
    """Counts cycles into matrix cells: first, second, first_low, second_low, widths, cycles."""

class Curve:
    """An SN curve: a catalogue curve or a definition file's."""
    label: str
    number: int
    record: npt.NDArray[np.float64]
    segments: list[Tuple[float, float, float]]

def catalogue() -> dict[int, str]:
    """The built-in SN curves: number -> name."""

def curve(number_or_name: Union[int, str]) -> Curve:
    """A catalogue curve by its number (1 ... 50) or its name."""

def read_curve_file(path: Path) -> Curve:
    """Reads an SN-curve definition file."""

def cycles_to_failure(curve: Curve, ranges: Series, *, thickness: float = 0.0,
                      scf: float = 1.0) -> npt.NDArray[np.float64]:
    """Cycles to failure N for each stress range (MPa) x SCF x thickness factor."""

class Assessment:
    """The damage of a series and its block histogram."""
    damage: float
    cycles: float
    range: float
    blocks: int
    block_length: float
    histogram: npt.NDArray[np.float32]

def assess(series: Series, curve: Curve, *, unit: str = "Pa", scf: float = 1.0,
           thickness: float = 0.0, blocks: int = 500, ends: str = "drop",
           residue: str = "half", damage: str = "blocks",
           mean_stress: Union[None, Tuple[str, float]] = None,
           static_stress: float = 0.0) -> Assessment:
    """The fatigue damage of a series on a curve; the dialogue's Computed Damage by default."""

def damage_per_year(damage: float, simulation_length: float) -> float:
    """The damage of one year of 31 536 000 s."""

def damage_equivalent_load(series: Series, *, m: Sequence[float] = (3.0, 4.0, 5.0),
                           n_eq: Union[float, None] = None, f_eq: float = 1.0,
                           simulation_length: Union[float, None] = None, ends: str = "drop",
                           residue: str = "half", scale: float = 1.0) -> npt.NDArray[np.float64]:
    """DEL = (sum n S^m / N_eq)^(1/m) for each m, N_eq = n_eq or f_eq x simulation_length."""

del_ = damage_equivalent_load

def equivalent_range(damage: float, curve: Curve, *, n_eq: float = 1e7, thickness: float = 0.0,
                     scf: float = 1.0) -> float:
    """The constant range (MPa) that n_eq times gives the damage on the curve."""

def combine(components: Sequence[Tuple[Series, float]]) -> np.ndarray:
    """The sum of factor x series, in double, held in the series' dtype."""

def joint_points(axial: Series, in_plane: Series, out_of_plane: Series, *,
                 axial_crown: float = 1.0, axial_saddle: float = 1.0, in_plane_scf: float = 1.0,
                 out_of_plane_scf: float = 1.0) -> np.ndarray:
    """The hot-spot stress at the eight points around a brace: an (8, n) array."""

Row = dict[str, Union[str, float, int, None]]

class JobResult:
    """A batch job's results, with the columns of skaldur-batch's files."""
    title: str
    design_life: float
    weight_kind: str
    hotspots: list[str]
    cases: list[int]
    load_cases: list[str]
    warnings: list[str]
    summary: Union[list[Row], None]
    runs: list[Row]
    matrix: list[Row]
    dels: list[Row]
    def summary_frame(self): ...
    def damage_frame(self): ...
    def matrix_frame(self): ...
    def del_frame(self): ...
    def to_pandas(self) -> dict: ...

def run_job(path: Path, jobs: Union[int, None] = None,
            shard: Union[str, Tuple[int, int], None] = None,
            cases: Union[Sequence[int], None] = None) -> JobResult:
    """Reads and computes a batch job as skaldur-batch run does; nothing is written."""
