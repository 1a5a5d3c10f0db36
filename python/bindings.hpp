#pragma once

#include <pybind11/pybind11.h>

namespace skaldur::python {

namespace py = pybind11;

// Each adds one concern's functions and classes to the module.
void bind_records(py::module_& m);
void bind_cycles(py::module_& m);
void bind_matrix(py::module_& m);
void bind_curves(py::module_& m);
void bind_damage(py::module_& m);
void bind_hot_spot_stress(py::module_& m);
void bind_batch_job(py::module_& m);

}  // namespace skaldur::python
