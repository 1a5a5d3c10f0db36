"""Batch jobs from Python: skaldur-batch's job file, computed by its own code."""

from ._skaldur import _run_job


class JobResult:
    """The results of a batch job, with the columns of skaldur-batch's files.

    summary  one dict per hotspot with summary.csv's columns (None when only
             some load cases were computed);
    runs     one dict per run with damage.csv's columns, hotspot by hotspot,
             plus case_index, the load case's index in the table;
    matrix   matrix.csv's rows of the load cases, when the job asks for a matrix;
    dels     del.csv's rows, when the job asks for DELs (the "year" rows only
             when every load case was computed; del is None where n_eq is 0);
    cases    the indices of the load cases computed, in table order;
    load_cases the names of every load case of the table (computed or not);
    hotspots the hotspot names in job order; title, design_life, weight_kind;
    warnings skaldur-batch's warnings for the job and its runs.
    """

    def __init__(self, rows):
        self.title = rows["title"]
        self.design_life = rows["design_life"]
        self.weight_kind = rows["weight_kind"]
        self.hotspots = rows["hotspots"]
        self.cases = rows["cases"]
        self.load_cases = rows["load_cases"]
        self.warnings = rows["warnings"]
        self.summary = rows["summary"]
        self.runs = rows["runs"]
        self.matrix = rows["matrix"]
        self.dels = rows["dels"]

    def __repr__(self):
        return (f"<skaldur.JobResult {self.title!r}: {len(self.hotspots)} hotspots, "
                f"{len(self.cases)} load cases>")

    def summary_frame(self):
        """summary.csv as a pandas DataFrame (ValueError for a part of a job)."""
        if self.summary is None:
            raise ValueError("only some load cases were computed: there is no summary")
        return _frame(self.summary, "summary_frame")

    def damage_frame(self):
        """damage.csv as a pandas DataFrame."""
        return _frame(self.runs, "damage_frame")

    def matrix_frame(self):
        """The load cases' rows of matrix.csv as a pandas DataFrame."""
        return _frame(self.matrix, "matrix_frame")

    def del_frame(self):
        """del.csv as a pandas DataFrame."""
        return _frame(self.dels, "del_frame")

    def to_pandas(self):
        """A dict of DataFrames: summary (for a whole job), damage, matrix, del."""
        frames = {"damage": self.damage_frame(), "matrix": self.matrix_frame(),
                  "del": self.del_frame()}
        if self.summary is not None:
            frames["summary"] = self.summary_frame()
        return frames


def _frame(rows, what):
    try:
        import pandas
    except ImportError as error:
        raise ImportError(f"JobResult.{what} needs pandas, which is not installed "
                          "(on Debian: apt-get install python3-pandas)") from error
    return pandas.DataFrame.from_records(rows) if rows else pandas.DataFrame()


def run_job(path, jobs=None, shard=None, cases=None):
    """Reads and computes a batch job as `skaldur-batch run JOB.toml` does.

    path: the job file (str, bytes or os.PathLike); its load-case table and
        records are found as skaldur-batch finds them.
    jobs: files read and assessed at the same time (default: the cores).
    shard: "K/N" or (K, N): only load cases K, K+N, K+2N, ... (K from 1), as
        skaldur-batch's --shard.
    cases: instead of shard, the indices (from 0) of the load cases to compute.
    Returns a JobResult with the numbers skaldur-batch writes, to the last bit.
    Nothing is written. Raises InputError (file, line, field and reason, the
    message skaldur-batch prints) for a job, table, curve file or record that
    is refused, AssessError (kind None) when the computation fails (a mean
    stress at the ultimate, a damage that is not a finite number), IndexError
    for a load case beyond the table. The GIL is released while computing.
    """
    return JobResult(_run_job(path, jobs=jobs, shard=shard, cases=cases))
