#include <cstring>
#include <string>
#include <vector>

#include "damage/hot_spot_stress.hpp"
#include "python/arrays.hpp"
#include "python/bindings.hpp"
#include "python/conventions.hpp"

namespace skaldur::python {
namespace {

// The series of the components, all of one dtype and one length; TypeError
// or ValueError naming the first that is not.
std::vector<py::array> component_series(const std::vector<py::handle>& objects) {
  std::vector<py::array> series;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    series.push_back(series_argument(objects[i], "component " + std::to_string(i + 1)));
    if (is_single(series[i]) != is_single(series[0]))
      throw py::type_error("the components mix float32 and float64");
    if (series[i].size() != series[0].size())
      throw py::value_error("the components differ in length");
  }
  return series;
}

template <class T>
std::vector<T> combined(const std::vector<py::array>& series, const std::vector<double>& factors) {
  std::vector<damage::StressTerm<T>> terms;
  for (std::size_t i = 0; i < series.size(); ++i)
    terms.push_back({values_of<T>(series[i]), factors[i]});
  py::gil_scoped_release free;
  return damage::combine_stress<T>(terms, static_cast<std::size_t>(series[0].size()));
}

py::array combine(py::object components) {
  if (!py::isinstance<py::sequence>(components) || py::isinstance<py::str>(components))
    throw py::type_error("components must be a sequence of (series, factor) pairs");
  std::vector<py::handle> objects;
  std::vector<double> factors;
  for (py::handle pair : py::reinterpret_borrow<py::sequence>(components)) {
    if (!py::isinstance<py::tuple>(pair) || py::len(pair) != 2)
      throw py::type_error("each component is a (series, factor) pair");
    objects.push_back(py::reinterpret_borrow<py::tuple>(pair)[0]);
    factors.push_back(number_argument(py::reinterpret_borrow<py::tuple>(pair)[1], "a factor"));
  }
  if (objects.empty()) throw py::value_error("components holds no component");
  const std::vector<py::array> series = component_series(objects);
  if (is_single(series[0])) return array_of(combined<float>(series, factors));
  return array_of(combined<double>(series, factors));
}

template <class T>
py::array joint_series(const std::vector<py::array>& series, const damage::JointScf& scf) {
  const auto n = static_cast<std::size_t>(series[0].size());
  py::array_t<T> out({static_cast<py::ssize_t>(damage::kJointPoints), static_cast<py::ssize_t>(n)});
  T* rows = out.mutable_data();
  for (int point = 1; point <= damage::kJointPoints; ++point) {
    const damage::PointFactors f = damage::joint_point(scf, point);
    const std::vector<T> values = combined<T>(series, {f.axial, f.in_plane, f.out_of_plane});
    if (n > 0)
      std::memcpy(rows + static_cast<std::size_t>(point - 1) * n, values.data(), n * sizeof(T));
  }
  return out;
}

py::array joint_points(py::object axial, py::object in_plane, py::object out_of_plane,
                       double axial_crown, double axial_saddle, double in_plane_scf,
                       double out_of_plane_scf) {
  const std::vector<py::array> series = component_series({axial, in_plane, out_of_plane});
  const damage::JointScf scf{axial_crown, axial_saddle, in_plane_scf, out_of_plane_scf};
  if (is_single(series[0])) return joint_series<float>(series, scf);
  return joint_series<double>(series, scf);
}

}  // namespace

void bind_hot_spot_stress(py::module_& m) {
  m.def("combine", &combine, py::arg("components"),
        R"(The hot-spot stress of components: sample by sample sum of factor x series.

components: a sequence of (series, factor) pairs, the series 1-D of one
    length and one dtype. The sum is worked out in double, in the order
    given, and held in the series' dtype (float32 stays float32).)");
  m.def("joint_points", &joint_points, py::arg("axial"), py::arg("in_plane"),
        py::arg("out_of_plane"), py::kw_only(), py::arg("axial_crown") = 1.0,
        py::arg("axial_saddle") = 1.0, py::arg("in_plane_scf") = 1.0,
        py::arg("out_of_plane_scf") = 1.0,
        R"(The hot-spot stress at the eight points around a brace, as skaldur-batch
combines them.

axial, in_plane, out_of_plane: the nominal stresses (1-D, one length, one
    dtype) of axial force, in-plane and out-of-plane bending.
axial_crown, axial_saddle, in_plane_scf, out_of_plane_scf: the SCFs.
Point i = 1 ... 8 stands at (i - 1) x 45 degrees from the crown:
sigma = SCF_A x axial + SCF_IPB x in_plane x cos - SCF_OPB x out_of_plane x sin.
Returns an (8, n) array of the inputs' dtype, row i - 1 for point i.)");
}

}  // namespace skaldur::python
