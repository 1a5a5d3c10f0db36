#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <vector>

#include "cycles/cycle.hpp"
#include "python/arrays.hpp"

namespace skaldur::python {

// The cycles as a dict of equal-length arrays: 'from', 'to' (dtype T),
// 'range', 'mean', 'count' (float64), 'from_index', 'to_index' (int64).
template <class T>
py::dict cycles_table(const std::vector<cycles::Cycle<T>>& counted) {
  const std::size_t n = counted.size();
  auto from = new_array<T>(n);
  auto to = new_array<T>(n);
  auto range = new_array<double>(n);
  auto mean = new_array<double>(n);
  auto count = new_array<double>(n);
  auto from_index = new_array<std::int64_t>(n);
  auto to_index = new_array<std::int64_t>(n);
  auto f = from.template mutable_unchecked<1>();
  auto t = to.template mutable_unchecked<1>();
  auto r = range.mutable_unchecked<1>();
  auto a = mean.mutable_unchecked<1>();
  auto c = count.mutable_unchecked<1>();
  auto fi = from_index.mutable_unchecked<1>();
  auto ti = to_index.mutable_unchecked<1>();
  for (std::size_t k = 0; k < n; ++k) {
    const auto i = static_cast<py::ssize_t>(k);
    const cycles::Cycle<T>& cycle = counted[k];
    f(i) = cycle.from;
    t(i) = cycle.to;
    r(i) = cycle.range();
    a(i) = cycle.mean();
    c(i) = cycle.count;
    fi(i) = cycle.from_index;
    ti(i) = cycle.to_index;
  }
  py::dict table;
  table["from"] = from;
  table["to"] = to;
  table["range"] = range;
  table["mean"] = mean;
  table["count"] = count;
  table["from_index"] = from_index;
  table["to_index"] = to_index;
  return table;
}

}  // namespace skaldur::python
