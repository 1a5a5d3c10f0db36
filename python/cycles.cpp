#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cycles/cycle_counter.hpp"
#include "python/arrays.hpp"
#include "python/bindings.hpp"
#include "python/conventions.hpp"
#include "python/cycles_table.hpp"

namespace skaldur::python {
namespace {

py::tuple turning_points(py::object series_object, const std::string& ends_name) {
  const py::array series = series_argument(series_object, "series");
  const cycles::Ends ends = ends_argument(ends_name);
  return with_values(series, [&](auto values) {
    using T = typename decltype(values)::value_type;
    std::vector<cycles::TurningPoint<T>> points;
    {
      py::gil_scoped_release free;
      points = cycles::find_turning_points<T>(values, ends);
    }
    auto at = new_array<T>(points.size());
    auto index = new_array<std::int64_t>(points.size());
    auto a = at.template mutable_unchecked<1>();
    auto i = index.template mutable_unchecked<1>();
    for (std::size_t k = 0; k < points.size(); ++k) {
      const auto s = static_cast<py::ssize_t>(k);
      a(s) = points[k].value;
      i(s) = points[k].index;
    }
    return py::make_tuple(at, index);
  });
}

py::dict count(py::object series_object, const std::string& ends, const std::string& residue) {
  const py::array series = series_argument(series_object, "series");
  const cycles::Conventions conventions = conventions_argument(ends, residue);
  return with_values(series, [&](auto values) {
    using T = typename decltype(values)::value_type;
    std::vector<cycles::Cycle<T>> counted;
    {
      py::gil_scoped_release free;
      counted = cycles::count_cycles<T>(values, conventions);
    }
    return cycles_table(counted);
  });
}

// The streaming counter for Python: one dtype, chunks fed in order, the
// cycles kept until finish() hands them over. A lock keeps two threads from
// feeding it at once.
class PyCycleCounter {
 public:
  PyCycleCounter(const std::string& ends, const std::string& residue, py::object dtype)
      : counter_(made(conventions_argument(ends, residue), dtype)) {}

  void feed(py::object chunk_object) {
    const py::array chunk = series_argument(chunk_object, "chunk");
    const bool single = std::holds_alternative<Single>(counter_);
    if (is_single(chunk) != single) {
      throw py::type_error(std::string("the counter counts ") + (single ? "float32" : "float64") +
                           " values; the chunk holds " +
                           py::str(static_cast<py::handle>(chunk.dtype())).cast<std::string>());
    }
    py::gil_scoped_release free;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) throw py::value_error("the counter has finished; make a new one");
    std::visit(
        [&](auto& state) {
          using T = typename std::decay_t<decltype(state)>::Value;
          state.counter.feed(values_of<T>(chunk),
                             [&](const cycles::Cycle<T>& c) { state.cycles.push_back(c); });
        },
        counter_);
  }

  py::dict finish() {
    {
      py::gil_scoped_release free;
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!finished_) {
        std::visit(
            [](auto& state) {
              state.counter.finish([&](const auto& c) { state.cycles.push_back(c); });
            },
            counter_);
      }
      finished_ = true;
    }
    return std::visit([](const auto& state) { return cycles_table(state.cycles); }, counter_);
  }

 private:
  template <class T>
  struct State {
    using Value = T;
    explicit State(cycles::Conventions conventions) : counter(conventions) {}
    cycles::CycleCounter<T> counter;
    std::vector<cycles::Cycle<T>> cycles;
  };
  using Single = State<float>;
  using Double = State<double>;
  using Counter = std::variant<Single, Double>;

  static Counter made(cycles::Conventions conventions, py::handle dtype) {
    const py::dtype kind = py::dtype::from_args(py::reinterpret_borrow<py::object>(dtype));
    if (kind.kind() == 'f' && kind.itemsize() == 4)
      return Counter(std::in_place_type<Single>, conventions);
    if (kind.kind() == 'f' && kind.itemsize() == 8)
      return Counter(std::in_place_type<Double>, conventions);
    throw py::type_error("dtype must be float32 or float64, not " +
                         py::str(static_cast<py::handle>(kind)).cast<std::string>());
  }

  Counter counter_;
  std::mutex mutex_;
  bool finished_ = false;
};

}  // namespace

void bind_cycles(py::module_& m) {
  m.def("turning_points", &turning_points, py::arg("series"), py::arg("ends") = "drop",
        R"(The turning points of a series and the sample index of each.

series: a 1-D float32 or float64 array (not copied when C-contiguous).
ends: 'drop' (as skaldur counts: the first and last value only where the
    series turns) or 'keep' (both ends are reversals).
Returns (values, indices): values in the series' dtype, indices int64; a held
value stands at the last sample of its run.)");

  m.def("cycles", &count, py::arg("series"), py::arg("ends") = "drop", py::arg("residue") = "half",
        R"(Counts the cycles of a series by the four-point rainflow rule.

series: a 1-D float32 or float64 array, counted in its own precision.
ends: 'drop' or 'keep' (see turning_points).
residue: 'half' (each neighbouring pair left counts 0.5) or 'repeated' (the
    residue followed by itself is counted again; its closed cycles count 1).
Returns a dict of equal-length arrays: 'from', 'to' (the two turning points,
in the series' dtype), 'range' = |to - from| and 'mean' = (from + to) / 2
(float64), 'count' (1.0 or 0.5), 'from_index', 'to_index' (int64 samples).)");

  py::class_<PyCycleCounter>(m, "CycleCounter",
                             R"(Counts the cycles of a series handed over in chunks.

The cycles are those cycles() counts of the whole series, in the same
order, however it is split.)")
      .def(py::init<const std::string&, const std::string&, py::object>(), py::kw_only(),
           py::arg("ends") = "drop", py::arg("residue") = "half", py::arg("dtype") = "float32",
           "ends, residue: as for cycles(); dtype: float32 or float64, the dtype of every chunk.")
      .def("feed", &PyCycleCounter::feed, py::arg("chunk"),
           "Counts the next values of the series (a 1-D array of the counter's dtype).")
      .def("finish", &PyCycleCounter::finish,
           "Ends the series and returns every cycle, as cycles() does; the counter is then "
           "done.");
}

}  // namespace skaldur::python
