#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "damage/damage.hpp"
#include "sncurve/record.hpp"

namespace skaldur::python {

namespace py = pybind11;

// An SN curve for Python: the working record the programs fill, and what
// names it.
struct Curve {
  std::string label;  // the catalogue name, or the definition file's title
  int number = 0;     // its number in the catalogue; 0 for a definition file
  sncurve::Record record{};
};

// The thickness factor of the curve for the thickness and SCF given, as the
// programs take it; ValueError when the curve gives none.
[[nodiscard]] double thickness_factor_of(const Curve& curve, const damage::CurveOpt& curve_opt);

// The thickness (mm; 0 for the curve's reference thickness) and SCF (above
// 0) arguments as a CurveOpt; ValueError for a negative thickness or an SCF
// not above 0.
[[nodiscard]] damage::CurveOpt curve_options(double thickness, double scf);

}  // namespace skaldur::python
