#include <algorithm>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "python/arrays.hpp"
#include "python/bindings.hpp"
#include "python/errors.hpp"
#include "python/input_file.hpp"
#include "series/series.hpp"

namespace skaldur::python {
namespace {

// A column asked for: its number (time is 1) or its header name.
using ColumnKey = std::variant<int, std::string>;

// A record read for Python: the columns read, their names, their values.
struct PyRecord {
  std::vector<int> columns;
  std::vector<std::string> names;  // "" where the header names no columns
  std::vector<py::array_t<float>> data;
  std::int64_t steps = 0;
  double start_time = 0.0;
  double simulation_length = 0.0;
};

// What the reading gives back before it is turned into Python objects.
struct Read {
  int error_number = 0;  // the file could not be opened
  std::optional<textio::LineError> refused;
  std::string refused_column;  // a column the record does not have
  std::vector<int> columns;
  std::vector<std::string> names;
  series::Record record;
};

// The column numbers of `keys` in the layout, or the reason there are none.
std::optional<std::string> resolve(const std::vector<ColumnKey>& keys, bool every,
                                   const series::Layout& layout, std::vector<int>& columns) {
  if (every) {
    for (int c = 2; c <= layout.columns; ++c)
      columns.push_back(c);
    return std::nullopt;
  }
  for (const ColumnKey& key : keys) {
    if (const int* number = std::get_if<int>(&key)) {
      if (*number > layout.columns) {
        return "column " + std::to_string(*number) + " is beyond the record's " +
               std::to_string(layout.columns) + " columns";
      }
      columns.push_back(*number);
      continue;
    }
    const std::string& name = std::get<std::string>(key);
    const auto at = std::find(layout.names.begin(), layout.names.end(), name);
    if (at == layout.names.end() || at == layout.names.begin())
      return "no stress column is named '" + name + "' in the record's header";
    columns.push_back(static_cast<int>(at - layout.names.begin()) + 1);
  }
  return std::nullopt;
}

// The columns asked for when no line lies in the window: each by its number
// (0 for a name, which no header can resolve) and name, to be empty.
void no_lines(const std::vector<ColumnKey>& keys, Read& read) {
  for (const ColumnKey& key : keys) {
    const int* number = std::get_if<int>(&key);
    read.columns.push_back(number != nullptr ? *number : 0);
    read.names.push_back(number != nullptr ? std::string() : std::get<std::string>(key));
  }
}

// Opens and reads the record; no Python object is touched (the GIL is free).
Read read_file(const std::string& path, const std::vector<ColumnKey>& keys, bool every,
               const series::TimeWindow& window) {
  Read read;
  const InputFile file(path);
  if (file.fd() < 0) {
    read.error_number = file.error();
    return read;
  }
  textio::LineReader lines(file.fd());
  auto opening = series::open_record(lines, window);
  if (!opening) {
    read.refused = opening.error();
    return read;
  }
  const series::Layout layout = opening->layout();
  if (layout.columns > 0) {
    if (auto missing = resolve(keys, every, layout, read.columns)) {
      read.refused_column = *missing;
      return read;
    }
  }
  for (const int c : read.columns) {
    const auto at = static_cast<std::size_t>(c - 1);
    read.names.push_back(at < layout.names.size() ? layout.names[at] : std::string());
  }
  if (layout.columns == 0) no_lines(keys, read);
  auto record = series::read_record(lines, std::move(opening).value(), read.columns);
  if (!record) {
    read.refused = record.error();
    return read;
  }
  read.record = std::move(record).value();
  return read;
}

// The columns argument: None for every stress column, or an int, a str or
// a sequence of them.
std::vector<ColumnKey> column_keys(py::handle columns) {
  std::vector<ColumnKey> keys;
  const auto add = [&](py::handle key) {
    if (py::isinstance<py::bool_>(key) ||
        !(py::isinstance<py::int_>(key) || py::isinstance<py::str>(key)))
      throw py::type_error("a column is a number (time is 1) or a header name");
    if (py::isinstance<py::str>(key)) {
      keys.emplace_back(key.cast<std::string>());
      return;
    }
    const auto number = key.cast<long long>();
    if (number < 2 || number > 1'000'000)
      throw py::value_error("a stress column is 2 or more (column 1 is the time); got " +
                            std::to_string(number));
    keys.emplace_back(static_cast<int>(number));
  };
  if (py::isinstance<py::str>(columns) || py::isinstance<py::int_>(columns)) {
    add(columns);
    return keys;
  }
  if (!py::isinstance<py::sequence>(columns))
    throw py::type_error("columns must be None, a column or a sequence of columns");
  for (py::handle key : py::reinterpret_borrow<py::sequence>(columns))
    add(key);
  if (keys.empty()) throw py::value_error("columns names no column");
  return keys;
}

PyRecord read_record(py::object path_object, py::object columns, double first_time,
                     double last_time) {
  const std::string path = path_argument(path_object, "path");
  const bool every = columns.is_none();
  const std::vector<ColumnKey> keys = every ? std::vector<ColumnKey>{} : column_keys(columns);
  Read read;
  {
    py::gil_scoped_release free;
    read = read_file(path, keys, every, {first_time, last_time});
  }
  if (read.error_number != 0) raise_os_error(read.error_number, path);
  if (read.refused) raise_input_error(path, *read.refused);
  if (!read.refused_column.empty()) raise_input_error(path, {0, {}, read.refused_column});
  PyRecord out;
  out.columns = read.columns;
  out.names = read.names;
  read.record.columns.resize(read.columns.size());  // empty ones when no line was read
  for (std::vector<float>& column : read.record.columns)
    out.data.push_back(array_of(std::move(column)));
  out.steps = read.record.n_steps;
  out.start_time = read.record.start_time;
  out.simulation_length = read.record.simulation_length;
  return out;
}

// The values of one column read: by its number or its header name.
py::array_t<float> column_of(const PyRecord& record, py::handle key) {
  for (std::size_t i = 0; i < record.data.size(); ++i) {
    const bool named = py::isinstance<py::str>(key) && !record.names[i].empty() &&
                       key.cast<std::string>() == record.names[i];
    const bool numbered = py::isinstance<py::int_>(key) && !py::isinstance<py::bool_>(key) &&
                          key.cast<long long>() == record.columns[i];
    if (named || numbered) return record.data[i];
  }
  throw py::key_error(py::repr(key).cast<std::string>());
}

}  // namespace

void bind_records(py::module_& m) {
  py::class_<PyRecord>(m, "Record",
                       "The chosen columns of a stress record, as read_record reads them.")
      .def_readonly("columns", &PyRecord::columns, "The column numbers read (time is 1).")
      .def_readonly("names", &PyRecord::names,
                    "Their names in the record's header ('' where the header names none).")
      .def_readonly("data", &PyRecord::data, "One float32 array per column read, in order.")
      .def_readonly("steps", &PyRecord::steps, "The lines read (each column's length).")
      .def_readonly("start_time", &PyRecord::start_time,
                    "The time of the first line read, in seconds (0 without one).")
      .def_readonly("simulation_length", &PyRecord::simulation_length,
                    "The time of the last data line read minus start_time, in seconds.")
      .def("__getitem__", &column_of, py::arg("column"),
           "The values of a column read, by its number or its header name.")
      .def("__len__", [](const PyRecord& r) { return r.data.size(); })
      .def("__repr__", [](const PyRecord& r) {
        return "<skaldur.Record: " + std::to_string(r.data.size()) + " columns, " +
               std::to_string(r.steps) + " steps>";
      });

  m.def("read_record", &read_record, py::arg("path"), py::arg("columns") = py::none(),
        py::arg("first_time") = 0.0, py::arg("last_time") = 1.0e30,
        R"(Reads stress columns of a record file, as the programs read it.

path: the record (str, bytes or os.PathLike): one line per time step, the
    time in seconds, then the stress columns; comment lines start with $ # ! '.
columns: None for every stress column, or a column or a list of columns, each
    a number (the time is column 1, the first stress column 2) or a name of the
    header (the last comment line before the data, one word per column).
first_time, last_time: the time window in seconds: lines from the first time
    at least first_time up to the first line past last_time, which ends the
    reading.
Returns a Record with one float32 array per column (empty ones, and none for
columns=None, when no line lies in the window). Raises OSError when the
file cannot be opened, InputError (a ValueError) with file, line and reason
when a line breaks the record's rules or a column is not there. The GIL is
released while reading.)");
}

}  // namespace skaldur::python
