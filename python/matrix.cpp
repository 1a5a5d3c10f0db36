#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "cycles/cycle_counter.hpp"
#include "cycles/matrix.hpp"
#include "damage/cycle_assessment.hpp"
#include "python/arrays.hpp"
#include "python/bindings.hpp"
#include "python/conventions.hpp"

namespace skaldur::python {
namespace {

// The kind and bin widths of a matrix, as the assessment takes them.
using MatrixShape = decltype(damage::CycleRequest::matrix)::value_type;

// The bin widths the kind needs, from the arguments given.
MatrixShape matrix_shape(const std::string& kind, std::optional<double> range_bin,
                         std::optional<double> mean_bin, std::optional<double> bin) {
  const auto named = cycles::matrix_kind_named(kind);
  if (!named)
    throw py::value_error("kind must be 'range-mean', 'from-to' or 'range', not '" + kind + "'");
  const auto width = [&](std::optional<double> w, const char* what) {
    if (!w) throw py::value_error("a " + kind + " matrix needs " + what);
    return positive_argument(*w, what);
  };
  MatrixShape shape;
  shape.kind = *named;
  if (*named == cycles::MatrixKind::from_to) {
    shape.first_bin = shape.second_bin = width(bin, "bin");
  } else {
    shape.first_bin = width(range_bin, "range_bin");
    if (*named == cycles::MatrixKind::range_mean) shape.second_bin = width(mean_bin, "mean_bin");
  }
  return shape;
}

// The values of a cycles table's column as float64.
py::array_t<double> column(const py::dict& table, const char* key) {
  if (!table.contains(key)) throw py::value_error(std::string("the cycles lack '") + key + "'");
  auto values = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(table[key]);
  if (!values) throw py::type_error(std::string("the cycles' '") + key + "' must hold numbers");
  return values;
}

// Adds the cycles to the counter as the assessment does: every value x
// scale + static_stress, the range x scale. False when one falls in no bin.
struct Scaled {
  double scale = 1.0;
  double static_stress = 0.0;
  bool add(cycles::MatrixCounter& counter, double from, double to, double count) const {
    return counter.add(from * scale + static_stress, to * scale + static_stress,
                       std::fabs(to - from) * scale, count);
  }
};

bool add_table(cycles::MatrixCounter& counter, const py::dict& table, const Scaled& scaled) {
  const auto from = column(table, "from");
  const auto to = column(table, "to");
  const auto count = column(table, "count");
  if (from.ndim() != 1 || to.size() != from.size() || count.size() != from.size())
    throw py::value_error("the cycles' 'from', 'to' and 'count' must be 1-D of one length");
  const auto f = from.unchecked<1>();
  const auto t = to.unchecked<1>();
  const auto c = count.unchecked<1>();
  py::gil_scoped_release free;
  for (py::ssize_t i = 0; i < f.shape(0); ++i) {
    if (!scaled.add(counter, f(i), t(i), c(i))) return false;
  }
  return true;
}

bool add_series(cycles::MatrixCounter& counter, const py::array& series,
                cycles::Conventions conventions, const Scaled& scaled) {
  return with_values(series, [&](auto values) {
    using T = typename decltype(values)::value_type;
    py::gil_scoped_release free;
    bool ok = true;
    cycles::CycleCounter<T> cycle_counter(conventions);
    const auto add = [&](const cycles::Cycle<T>& cycle) {
      ok = ok && scaled.add(counter, static_cast<double>(cycle.from), static_cast<double>(cycle.to),
                            cycle.count);
    };
    cycle_counter.feed(values, add);
    cycle_counter.finish(add);
    return ok;
  });
}

py::dict cells_table(const std::vector<cycles::MatrixCell>& cells, const MatrixShape& shape) {
  const std::size_t n = cells.size();
  auto first = new_array<std::int64_t>(n);
  auto second = new_array<std::int64_t>(n);
  auto first_low = new_array<double>(n);
  auto second_low = new_array<double>(n);
  auto counts = new_array<double>(n);
  auto a = first.mutable_unchecked<1>();
  auto b = second.mutable_unchecked<1>();
  auto al = first_low.mutable_unchecked<1>();
  auto bl = second_low.mutable_unchecked<1>();
  auto c = counts.mutable_unchecked<1>();
  const bool one_way = shape.kind == cycles::MatrixKind::range;
  for (std::size_t k = 0; k < n; ++k) {
    const auto i = static_cast<py::ssize_t>(k);
    a(i) = cells[k].first;
    b(i) = cells[k].second;
    al(i) = cycles::edge_of(cells[k].first, shape.first_bin);
    bl(i) = one_way ? 0.0 : cycles::edge_of(cells[k].second, shape.second_bin);
    c(i) = cells[k].cycles;
  }
  py::dict table;
  table["first"] = first;
  table["second"] = second;
  table["first_low"] = first_low;
  table["first_width"] = shape.first_bin;
  table["second_low"] = second_low;
  table["second_width"] = one_way ? 0.0 : shape.second_bin;
  table["cycles"] = counts;
  return table;
}

py::dict matrix(py::object data, const std::string& kind, std::optional<double> range_bin,
                std::optional<double> mean_bin, std::optional<double> bin, double scale,
                double static_stress, const std::string& ends, const std::string& residue) {
  const MatrixShape shape = matrix_shape(kind, range_bin, mean_bin, bin);
  const cycles::Conventions conventions = conventions_argument(ends, residue);
  const Scaled scaled{positive_argument(scale, "scale"), static_stress};
  if (!std::isfinite(static_stress)) throw py::value_error("static_stress must be finite");
  cycles::MatrixCounter counter(shape);
  const bool ok = py::isinstance<py::dict>(data)
                      ? add_table(counter, py::reinterpret_borrow<py::dict>(data), scaled)
                      : add_series(counter, series_argument(data, "data"), conventions, scaled);
  if (!ok) throw py::value_error("a cycle value falls in no bin (not finite, or too far out)");
  return cells_table(counter.cells(), shape);
}

}  // namespace

void bind_matrix(py::module_& m) {
  m.def("matrix", &matrix, py::arg("data"), py::kw_only(), py::arg("kind") = "range-mean",
        py::arg("range_bin") = py::none(), py::arg("mean_bin") = py::none(),
        py::arg("bin") = py::none(), py::arg("scale") = 1.0, py::arg("static_stress") = 0.0,
        py::arg("ends") = "drop", py::arg("residue") = "half",
        R"(Counts cycles into the cells of a matrix, as skaldur-batch's matrix.csv.

data: the cycles (the dict cycles() returns) or a 1-D series to count.
kind: 'range-mean' (range_bin and mean_bin), 'from-to' (bin for both points)
    or 'range' (range_bin only).
range_bin, mean_bin, bin: bin widths above 0, in the unit of the stresses
    after scaling (MPa for hot-spot stress).
scale: the factor every value is multiplied by (unit x SCF; 1e-6 turns Pa
    into MPa); static_stress: added to every stress (not to ranges), MPa.
ends, residue: the conventions a series is counted by (see cycles()).
A value x lies in bin floor(x / w): bin k holds k w <= x < (k + 1) w.
Returns the cells that hold cycles, ordered by first then second bin, as a
dict: 'first', 'second' (int64 bins: range or from, mean or to; second is 0
for 'range'), 'first_low', 'second_low' (lower edges, float64),
'first_width', 'second_width' (the widths), 'cycles' (counts, a half cycle
0.5). ValueError when a value falls in no bin (NaN, inf).)");
}

}  // namespace skaldur::python
