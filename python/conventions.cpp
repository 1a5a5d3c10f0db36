#include "python/conventions.hpp"

#include <cmath>

namespace skaldur::python {

namespace py = pybind11;

cycles::Ends ends_argument(const std::string& name) {
  const auto ends = cycles::ends_named(name);
  if (!ends) throw py::value_error("ends must be 'drop' or 'keep', not '" + name + "'");
  return *ends;
}

cycles::Conventions conventions_argument(const std::string& ends, const std::string& residue) {
  const auto kept = cycles::residue_named(residue);
  if (!kept) throw py::value_error("residue must be 'half' or 'repeated', not '" + residue + "'");
  return {ends_argument(ends), *kept};
}

double number_argument(py::handle value, const char* what) {
  const bool number = (py::isinstance<py::float_>(value) || py::isinstance<py::int_>(value) ||
                       py::hasattr(value, "__float__")) &&
                      !py::isinstance<py::bool_>(value) && !py::isinstance<py::str>(value);
  if (!number) throw py::type_error(std::string(what) + " must be a number");
  return py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
}

std::string text_argument(py::handle value, const char* what) {
  if (!py::isinstance<py::str>(value)) throw py::type_error(std::string(what) + " must be a str");
  return value.cast<std::string>();
}

double positive_argument(double value, const char* what, bool zero_allowed) {
  const bool ok = std::isfinite(value) && (zero_allowed ? value >= 0.0 : value > 0.0);
  if (!ok) {
    throw py::value_error(std::string(what) +
                          (zero_allowed ? " must be 0 or more" : " must be above 0") +
                          " and finite, not " + py::repr(py::float_(value)).cast<std::string>());
  }
  return value;
}

}  // namespace skaldur::python
