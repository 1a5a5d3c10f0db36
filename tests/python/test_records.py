# read_record(): columns by number and name, the time window, and the errors.
import errno

import numpy as np
import pytest
import skaldur

from conftest import write_record


@pytest.fixture
def record(tmp_path):
    path = tmp_path / "r.ts"
    write_record(path, [[1, 2, 3, 4], [10, 20, 30, 40.5]], header=["time", "fx", "my"])
    return path


# Catches columns read in another order than asked, names off by one (the
# time's name), and a window that keeps the line past its end.
def test_columns_by_number_and_name_and_window(record):
    r = skaldur.read_record(record, columns=["my", 2])
    assert r.columns == [3, 2] and r.names == ["my", "fx"]
    np.testing.assert_array_equal(r["my"], [10, 20, 30, 40.5])
    np.testing.assert_array_equal(r[2], [1, 2, 3, 4])
    assert r["my"].dtype == np.float32
    w = skaldur.read_record(record, first_time=0.5, last_time=1.0)
    assert w.columns == [2, 3] and w.steps == 2
    np.testing.assert_array_equal(w.data[0], [2, 3])
    assert w.start_time == 0.5 and w.simulation_length == pytest.approx(1.0)
    empty = skaldur.read_record(record, columns=[3], first_time=50.0)
    assert empty.steps == 0 and len(empty.data[0]) == 0


def test_a_line_the_reader_refuses_names_file_and_line(tmp_path):
    path = tmp_path / "bad.ts"
    path.write_text("0.0 1.0\n0.5 x\n")
    with pytest.raises(skaldur.InputError) as caught:
        skaldur.read_record(path)
    assert isinstance(caught.value, ValueError)
    assert caught.value.line == 2 and str(path) in str(caught.value)
    assert "line 2" in str(caught.value)


@pytest.mark.parametrize("columns", ["mz", 4])
def test_a_column_the_record_lacks(record, columns):
    with pytest.raises(skaldur.InputError):
        skaldur.read_record(record, columns=columns)


def test_files_that_cannot_be_opened(tmp_path):
    with pytest.raises(FileNotFoundError) as caught:
        skaldur.read_record(tmp_path / "missing.ts")
    assert caught.value.filename == str(tmp_path / "missing.ts")
    with pytest.raises(IsADirectoryError):
        skaldur.read_record(tmp_path)
    with pytest.raises(OSError) as caught:
        skaldur.read_curve_file(tmp_path / "missing.sn")
    assert caught.value.errno == errno.ENOENT
