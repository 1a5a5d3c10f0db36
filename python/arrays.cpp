#include "python/arrays.hpp"

#include <string>

namespace skaldur::python {
namespace {

// A numpy array of what `object` holds, when it is one already or a
// sequence numpy can read as numbers; nothing (TypeError) otherwise.
py::array numeric_array(py::handle object, std::string_view what) {
  const std::string name(what);
  if (py::isinstance<py::str>(object) || py::isinstance<py::bytes>(object) || object.is_none())
    throw py::type_error(name + " must be a numpy array of floats, not " +
                         std::string(py::str(py::type::handle_of(object).attr("__name__"))));
  if (py::isinstance<py::array>(object)) return py::reinterpret_borrow<py::array>(object);
  try {
    return py::module_::import("numpy").attr("asarray")(object);
  } catch (py::error_already_set&) {
    throw py::type_error(name + " must be a numpy array of floats or a sequence of numbers");
  }
}

}  // namespace

// The array as a C-contiguous one of dtype T: itself, or a copy.
template <class T, int Flags = py::array::c_style>
py::array contiguous(const py::array& array, const std::string& name) {
  auto out = py::array_t<T, Flags>::ensure(array);
  if (!out) throw py::type_error(name + " cannot be read as numbers");
  return out;
}

py::array series_argument(py::handle object, std::string_view what) {
  const std::string name(what);
  py::array array = numeric_array(object, what);
  if (array.ndim() != 1) {
    throw py::value_error(name + " must be one-dimensional (a series); it has " +
                          std::to_string(array.ndim()) + " dimensions");
  }
  const char kind = array.dtype().kind();
  const auto size = array.dtype().itemsize();
  if (kind == 'f' && size == 4) return contiguous<float>(array, name);
  if (kind == 'f' && size == 8) return contiguous<double>(array, name);
  if (kind == 'i' || kind == 'u' || kind == 'b')
    return contiguous<double, py::array::c_style | py::array::forcecast>(array, name);
  throw py::type_error(name + " must hold float32 or float64 values, not " +
                       std::string(py::str(static_cast<py::handle>(array.dtype()))));
}

bool is_single(const py::array& series) {
  return series.dtype().itemsize() == 4;
}

}  // namespace skaldur::python
