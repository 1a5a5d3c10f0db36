#include "python/curves.hpp"

#include <cmath>
#include <sstream>
#include <vector>

#include "damage/curve_life.hpp"
#include "python/arrays.hpp"
#include "python/bindings.hpp"
#include "python/conventions.hpp"
#include "python/errors.hpp"
#include "python/input_file.hpp"
#include "sncurve/catalogue.hpp"
#include "sncurve/definition.hpp"
#include "textio/text.hpp"

namespace skaldur::python {
namespace {

const sncurve::Catalogue& builtin() {
  static const sncurve::Catalogue catalogue = [] {
    auto built = sncurve::builtin_catalogue();
    if (!built) throw std::runtime_error("the built-in SN-curve catalogue could not be built");
    return std::move(built).value();
  }();
  return catalogue;
}

py::dict catalogue() {
  py::dict names;
  for (int n = 1; n <= builtin().count; ++n)
    names[py::int_(n)] = std::string(textio::trimmed(sncurve::display_name(builtin(), n).value()));
  return names;
}

Curve catalogue_curve(py::object number_or_name) {
  int n = 0;
  if (py::isinstance<py::str>(number_or_name)) {
    const auto found = sncurve::find_curve(builtin(), number_or_name.cast<std::string>());
    if (!found)
      throw py::value_error("no catalogue curve is named " +
                            py::repr(number_or_name).cast<std::string>());
    n = *found;
  } else if (py::isinstance<py::int_>(number_or_name) &&
             !py::isinstance<py::bool_>(number_or_name)) {
    const auto asked = number_or_name.cast<long long>();
    if (asked < 1 || asked > builtin().count) {
      throw py::value_error("the catalogue's curves are 1 ... " + std::to_string(builtin().count) +
                            ", not " + std::to_string(asked));
    }
    n = static_cast<int>(asked);
  } else {
    throw py::type_error("a catalogue curve is given by its number or its name");
  }
  Curve curve;
  curve.number = n;
  curve.label = std::string(textio::trimmed(sncurve::display_name(builtin(), n).value()));
  static_cast<void>(sncurve::copy_curve(builtin(), n, curve.record).value());
  return curve;
}

Curve read_curve_file(py::object path_object) {
  const std::string path = path_argument(path_object, "path");
  Curve curve;
  int error_number = 0;
  std::optional<textio::LineError> refused;
  {
    py::gil_scoped_release free;
    const InputFile file(path);
    error_number = file.error();
    if (file.fd() >= 0) {
      textio::LineReader lines(file.fd());
      auto title = sncurve::read_definition(lines, curve.record);
      if (title)
        curve.label = std::string(textio::trimmed(*title));
      else
        refused = title.error();
    }
  }
  if (error_number != 0) raise_os_error(error_number, path);
  if (refused) raise_input_error(path, *refused);
  return curve;
}

std::vector<py::tuple> segments_of(const Curve& curve) {
  const sncurve::RecordView view(curve.record);
  std::vector<py::tuple> segments;
  for (int j = 1; j <= view.n_sn_lin(); ++j) {
    const auto s = view.segment(j);
    if (!s) break;
    segments.push_back(py::make_tuple(s->log_a, s->m, s->n_break));
  }
  return segments;
}

py::array_t<double> cycles_to_failure(const Curve& curve, py::object ranges_object,
                                      double thickness, double scf) {
  const damage::CurveOpt curve_opt = curve_options(thickness, scf);
  const double scf_used = damage::effective_scf(curve_opt);
  const double thick_fac = thickness_factor_of(curve, curve_opt);
  const py::array ranges = series_argument(ranges_object, "ranges");
  auto lives = new_array<double>(static_cast<std::size_t>(ranges.size()));
  auto out = lives.mutable_unchecked<1>();
  with_values(ranges, [&](auto values) {
    const damage::CurveLife life(curve.record);
    for (std::size_t k = 0; k < values.size(); ++k)
      out(static_cast<py::ssize_t>(k)) =
          1.0 / life.damage(static_cast<double>(values[k]) * scf_used * thick_fac);
    return 0;
  });
  return lives;
}

}  // namespace

damage::CurveOpt curve_options(double thickness, double scf) {
  return {positive_argument(thickness, "thickness", true), positive_argument(scf, "scf"), 0.0};
}

double thickness_factor_of(const Curve& curve, const damage::CurveOpt& curve_opt) {
  std::ostringstream ignored;
  const auto factor = damage::DMG02A(curve.record, curve_opt, ignored);
  if (!factor) throw py::value_error("the curve gives no thickness factor (its standard or Tref)");
  return *factor;
}

void bind_curves(py::module_& m) {
  py::class_<Curve>(m, "Curve", "An SN curve: a catalogue curve or a definition file's.")
      .def_readonly("label", &Curve::label, "The catalogue name or the file's title.")
      .def_readonly("number", &Curve::number, "Its catalogue number; 0 for a file's curve.")
      .def_property_readonly(
          "record",
          [](const Curve& c) {
            return array_of(std::vector<double>(c.record.begin(), c.record.end()));
          },
          "The SN-curve record the programs use (30 float64 values, positions from 1 at index 0).")
      .def_property_readonly("segments", &segments_of,
                             "The segments (LogA, m, nBreak) from the high-stress end.")
      .def("__repr__", [](const Curve& c) {
        return "<skaldur.Curve " + std::to_string(c.number) + ": " + c.label + ">";
      });

  m.def("catalogue", &catalogue, "The built-in SN curves: a dict of number -> name.");
  m.def("curve", &catalogue_curve, py::arg("number_or_name"),
        R"(A catalogue curve by its number (1 ... 50) or its name.

Names compare without blanks and case-blind: 'norsok d air' is curve 6.
ValueError for a number or name the catalogue does not have.)");
  m.def("read_curve_file", &read_curve_file, py::arg("path"),
        R"(Reads an SN-curve definition file (the layout of examples/class-d-seawater.sn).

OSError when it cannot be opened; InputError with file, line and reason when
a line breaks the layout.)");
  m.def("cycles_to_failure", &cycles_to_failure, py::arg("curve"), py::arg("ranges"), py::kw_only(),
        py::arg("thickness") = 0.0, py::arg("scf") = 1.0,
        R"(The cycles to failure N = 1 / damage per cycle for each stress range.

curve: a Curve. ranges: 1-D array of nominal stress ranges in MPa.
thickness: plate thickness in mm (0: the curve's reference thickness).
scf: stress concentration factor (above 0).
Each range is taken x SCF x the thickness factor, as the programs take it.
Returns float64 lives; inf where the curve gives no damage (a range of 0, at
or below a cut-off, negative or NaN). ValueError when the curve gives no
thickness factor.)");
}

}  // namespace skaldur::python
