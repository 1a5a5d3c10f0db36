#include "python/bindings.hpp"
#include "python/errors.hpp"

// import skaldur: the core's functions on numpy arrays. The bindings only
// translate arguments, results, errors and the GIL; every rule is the core's.
PYBIND11_MODULE(_skaldur, m) {
  m.doc() = "SKALDUR's fatigue core: records, rainflow cycles, SN curves and damage.";
  skaldur::python::bind_errors(m);
  skaldur::python::bind_records(m);
  skaldur::python::bind_cycles(m);
  skaldur::python::bind_matrix(m);
  skaldur::python::bind_curves(m);
  skaldur::python::bind_damage(m);
  skaldur::python::bind_hot_spot_stress(m);
  skaldur::python::bind_batch_job(m);
}
