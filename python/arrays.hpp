#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace skaldur::python {

namespace py = pybind11;

// A one-dimensional series handed over from Python: a float32 or float64
// numpy array, C-contiguous. An array of that kind is taken as it is, with no
// copy; a strided one is copied once into a contiguous array of the same
// dtype; integer and boolean arrays and sequences of numbers become float64.
// Refuses (TypeError) other dtypes and objects that are no numbers, and
// (ValueError) an array of more than one dimension. `what` names the
// argument in messages.
py::array series_argument(py::handle object, std::string_view what);

// Whether a series argument holds float32 values (else float64).
[[nodiscard]] bool is_single(const py::array& series);

// The values of a series argument of dtype T; valid while the array lives,
// and readable with the GIL released.
template <class T>
[[nodiscard]] std::span<const T> values_of(const py::array& series) {
  return {static_cast<const T*>(series.data()), static_cast<std::size_t>(series.size())};
}

// Calls `work` with the values of the series, as float or double by its
// dtype.
template <class Work>
auto with_values(const py::array& series, Work&& work) {
  if (is_single(series)) return work(values_of<float>(series));
  return work(values_of<double>(series));
}

// A numpy array that takes over the vector's storage, with no copy.
template <class T>
py::array_t<T> array_of(std::vector<T>&& values) {
  auto* owned = new std::vector<T>(std::move(values));
  py::capsule owner(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  return py::array_t<T>(static_cast<py::ssize_t>(owned->size()), owned->data(), owner);
}

// A new one-dimensional array of n values, to be filled.
template <class T>
py::array_t<T> new_array(std::size_t n) {
  return py::array_t<T>(static_cast<py::ssize_t>(n));
}

}  // namespace skaldur::python
