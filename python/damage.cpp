#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "cycles/cycle_counter.hpp"
#include "damage/assess.hpp"
#include "damage/curve_life.hpp"
#include "damage/cycle_assessment.hpp"
#include "damage/equivalent_load.hpp"
#include "python/arrays.hpp"
#include "python/bindings.hpp"
#include "python/conventions.hpp"
#include "python/curves.hpp"
#include "python/errors.hpp"

namespace skaldur::python {
namespace {

// What assess() returns.
struct AssessResult {
  double damage = 0.0;
  double cycles = 0.0;
  double range = 0.0;
  int blocks = 0;
  double block_length = 0.0;
  py::array_t<float> histogram;
};

double unit_factor(const std::string& unit) {
  if (unit == "Pa") return 1.0e-6;
  if (unit == "MPa") return 1.0;
  throw py::value_error("unit must be 'Pa' or 'MPa', not '" + unit + "'");
}

// The mean-stress argument: None, ("dnv", p) or ("goodman", ultimate).
damage::MeanStress mean_stress_argument(py::handle given) {
  damage::MeanStress correction;
  if (given.is_none()) return correction;
  if (!py::isinstance<py::tuple>(given) || py::len(given) != 2)
    throw py::type_error("mean_stress is None, ('dnv', p) or ('goodman', ultimate)");
  const auto pair = py::reinterpret_borrow<py::tuple>(given);
  const std::string name = text_argument(pair[0], "the mean-stress method");
  const double value = number_argument(pair[1], "the mean-stress parameter");
  const auto method = damage::mean_stress_named(name);
  if (!method || *method == damage::MeanStressMethod::none)
    throw py::value_error("mean_stress must be 'dnv' or 'goodman', not '" + name + "'");
  correction.method = *method;
  if (*method == damage::MeanStressMethod::dnv) {
    if (!(value >= 0.0 && value <= 1.0)) throw py::value_error("the dnv p is 0 ... 1");
    correction.p = value;
  } else {
    correction.ultimate = positive_argument(value, "the ultimate strength");
  }
  return correction;
}

struct AssessArguments {
  damage::CurveOpt curve_opt;
  damage::BlockRequest blocks;
  damage::CycleRequest request;
};

AssessArguments assess_arguments(const std::string& unit, double scf, double thickness, int blocks,
                                 const std::string& ends, const std::string& residue,
                                 const std::string& method, py::handle mean_stress,
                                 double static_stress) {
  AssessArguments a;
  a.curve_opt = curve_options(thickness, scf);
  if (blocks < 1 || blocks > damage::kMostBlocks)
    throw py::value_error("blocks must be 1 ... 500, not " + std::to_string(blocks));
  a.blocks = {unit_factor(unit), blocks};
  a.request.conventions = conventions_argument(ends, residue);
  const auto named = damage::damage_method_named(method);
  if (!named) throw py::value_error("damage must be 'blocks' or 'exact', not '" + method + "'");
  a.request.method = *named;
  a.request.mean_stress = mean_stress_argument(mean_stress);
  if (a.request.mean_stress.method != damage::MeanStressMethod::none &&
      a.request.method != damage::DamageMethod::exact)
    throw py::value_error("mean_stress needs damage='exact'");
  if (!std::isfinite(static_stress)) throw py::value_error("static_stress must be finite");
  a.request.static_stress = static_stress;
  return a;
}

AssessResult assess(py::object series_object, const Curve& curve, const std::string& unit,
                    double scf, double thickness, int blocks, const std::string& ends,
                    const std::string& residue, const std::string& method, py::object mean_stress,
                    double static_stress) {
  const py::array series = series_argument(series_object, "series");
  const AssessArguments a = assess_arguments(unit, scf, thickness, blocks, ends, residue, method,
                                             mean_stress, static_stress);
  auto assessed = with_values(series, [&](auto values) {
    using T = typename decltype(values)::value_type;
    py::gil_scoped_release free;
    return damage::assess_cycles<T>(values, curve.record, a.curve_opt, a.blocks, a.request);
  });
  if (!assessed) raise_assess_error(assessed.error());
  damage::Assessment& done = assessed.value().assessment;
  return {done.damage,   done.n_cycles,
          done.ts_range, static_cast<int>(done.n_blocks),
          done.bloc_len, array_of(std::move(done.hist))};
}

double damage_per_year(double damage, double simulation_length) {
  const auto per_year = damage::damage_per_year(damage, simulation_length);
  if (!per_year) throw py::value_error("the simulation length must be above 0");
  return *per_year;
}

// N_eq: as given, or f_eq x the simulation length.
double equivalent_cycles(std::optional<double> n_eq, double f_eq,
                         std::optional<double> simulation_length) {
  if (n_eq && simulation_length)
    throw py::value_error("give n_eq or simulation_length (with f_eq), not both");
  if (n_eq) return positive_argument(*n_eq, "n_eq");
  if (!simulation_length) throw py::value_error("give n_eq, or simulation_length with f_eq");
  return positive_argument(f_eq, "f_eq") *
         positive_argument(*simulation_length, "simulation_length");
}

py::array_t<double> damage_equivalent_load(py::object series_object, std::vector<double> m,
                                           std::optional<double> n_eq, double f_eq,
                                           std::optional<double> simulation_length,
                                           const std::string& ends, const std::string& residue,
                                           double scale) {
  const py::array series = series_argument(series_object, "series");
  if (m.empty()) throw py::value_error("m names no exponent");
  for (const double exponent : m)
    positive_argument(exponent, "each m");
  const double cycles_eq = equivalent_cycles(n_eq, f_eq, simulation_length);
  const cycles::Conventions conventions = conventions_argument(ends, residue);
  positive_argument(scale, "scale");
  damage::DelSums sums(m);
  with_values(series, [&](auto values) {
    using T = typename decltype(values)::value_type;
    py::gil_scoped_release free;
    cycles::CycleCounter<T> counter(conventions);
    const auto add = [&](const cycles::Cycle<T>& c) { sums.add(c.range() * scale, c.count); };
    counter.feed(values, add);
    counter.finish(add);
    return 0;
  });
  auto loads = new_array<double>(m.size());
  auto out = loads.mutable_unchecked<1>();
  for (std::size_t k = 0; k < m.size(); ++k)
    out(static_cast<py::ssize_t>(k)) =
        damage::damage_equivalent_range(sums.sums()[k], m[k], cycles_eq);
  return loads;
}

double equivalent_range(double damage, const Curve& curve, double n_eq, double thickness,
                        double scf) {
  positive_argument(damage, "damage", true);
  const damage::CurveOpt curve_opt = curve_options(thickness, scf);
  const double thick_fac = thickness_factor_of(curve, curve_opt);
  const damage::CurveLife life(curve.record);
  return life.equivalent_range(damage / positive_argument(n_eq, "n_eq")) / thick_fac;
}

void bind_damage_functions(py::module_& m) {
  m.def("assess", &assess, py::arg("series"), py::arg("curve"), py::kw_only(),
        py::arg("unit") = "Pa", py::arg("scf") = 1.0, py::arg("thickness") = 0.0,
        py::arg("blocks") = 500, py::arg("ends") = "drop", py::arg("residue") = "half",
        py::arg("damage") = "blocks", py::arg("mean_stress") = py::none(),
        py::arg("static_stress") = 0.0,
        R"(The fatigue damage of a stress series on an SN curve, as skaldur computes it.

series: 1-D float32 or float64 stresses, in the unit given.
curve: a Curve (curve(), read_curve_file()).
unit: 'Pa' (multiplied by 1e-6 into MPa) or 'MPa'.
scf: the stress concentration factor (above 0).
thickness: plate thickness in mm; 0 takes the curve's reference thickness.
blocks: the blocks of the range histogram, 1 ... 500.
ends, residue: the counting conventions (see cycles()).
damage: 'blocks' (each cycle at its block's midpoint, as skaldur) or 'exact'
    (each cycle at its own range).
mean_stress: None, ('dnv', p) with p 0 ... 1, or ('goodman', ultimate) with
    the ultimate strength in MPa; with damage='exact' only.
static_stress: MPa added to every hot-spot stress (mean stress only).
With the defaults a float32 series gives exactly the dialogue's "Computed
Damage"; a float64 series is counted in double. Returns an Assessment.
AssessError (a ValueError) when the series cannot be assessed: kind
'too_short' (fewer than 4 turning points), 'range_beyond_blocks',
'no_thickness_factor' or 'mean_at_ultimate'. The GIL is released.)");

  m.def("damage_per_year", &damage_per_year, py::arg("damage"), py::arg("simulation_length"),
        R"(The damage of one year of 31 536 000 s: damage x year / simulation_length (s).

ValueError when the simulation length is not above 0.)");
}

void bind_load_functions(py::module_& m) {
  m.def("damage_equivalent_load", &damage_equivalent_load, py::arg("series"), py::kw_only(),
        py::arg("m") = std::vector<double>{3.0, 4.0, 5.0}, py::arg("n_eq") = py::none(),
        py::arg("f_eq") = 1.0, py::arg("simulation_length") = py::none(), py::arg("ends") = "drop",
        py::arg("residue") = "half", py::arg("scale") = 1.0,
        R"(Damage-equivalent loads: DEL = (sum n_i S_i^m / N_eq)^(1/m) for each m.

series: 1-D float32 or float64 values; S_i = the exact cycle range x scale.
m: the Woehler exponents (each above 0).
n_eq: N_eq in cycles; or else simulation_length (s) x f_eq (Hz).
ends, residue: the counting conventions (see cycles()).
scale: the factor ranges are multiplied by (unit x SCF: 1e-6 for Pa to MPa).
Returns float64 DELs in the order of m (0 when nothing was counted).)");
  m.attr("del_") = m.attr("damage_equivalent_load");

  m.def("equivalent_range", &equivalent_range, py::arg("damage"), py::arg("curve"), py::kw_only(),
        py::arg("n_eq") = 1.0e7, py::arg("thickness") = 0.0, py::arg("scf") = 1.0,
        R"(The constant range S_eq (MPa, before the thickness factor) that n_eq times
gives `damage` on the curve, with its thickness factor for thickness (mm; 0
for the reference) and scf (which picks the thickness exponent).

Segments are solved from the high-stress end; a damage in a gap at a break
gets the break range, one below a cut-off extends the last segment.)");
}

}  // namespace

void bind_damage(py::module_& m) {
  py::class_<AssessResult>(m, "Assessment", "The damage of a series and its block histogram.")
      .def_readonly("damage", &AssessResult::damage, "The Miner sum of the series.")
      .def_readonly("cycles", &AssessResult::cycles, "The cycles counted.")
      .def_readonly("range", &AssessResult::range,
                    "1.01 x (max - min) of the series, in the series' unit.")
      .def_readonly("blocks", &AssessResult::blocks, "The blocks of the histogram.")
      .def_readonly("block_length", &AssessResult::block_length,
                    "Their width, in the series' unit.")
      .def_readonly("histogram", &AssessResult::histogram,
                    "The cycles of each block (float32); empty when nothing was counted.")
      .def("__repr__", [](const AssessResult& r) {
        return "<skaldur.Assessment damage=" + py::repr(py::float_(r.damage)).cast<std::string>() +
               ">";
      });
  bind_damage_functions(m);
  bind_load_functions(m);
}

}  // namespace skaldur::python
