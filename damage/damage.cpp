#include "damage/damage.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ostream>

#include "damage/assess.hpp"
#include "sncurve/record.hpp"

namespace skaldur::damage {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = -1;

// Thickness and SCF answers at or below this float value of 1.0E-10 count as
// not given.
constexpr double kTiny = static_cast<double>(1.0e-10f);

// Above this effective SCF the thickness exponent is kHigh.
constexpr double kHighScf = 10.0;

}  // namespace

double effective_scf(const CurveOpt& curve_opt) {
  return curve_opt.scf > kTiny ? curve_opt.scf : 1.0;
}

int DMG02(std::span<const float> series, std::span<float> hist, std::span<const double> sn_curve,
          const CurveOpt& curve_opt, BlockOpt& block_opt, DmgOut& dmg_out, std::ostream& print) {
  // The number asked is rounded as the blocks are: the request is whole.
  const BlockRequest request{block_opt.force_unit_factor, sncurve::round_count(block_opt.n_blocks)};
  const auto result = assess(series, hist, sn_curve, curve_opt, request);
  if (!result) {
    print << result.error().print_text;
    return kFailed;
  }
  if (result->bloc_len > 0.0) {
    dmg_out = {result->damage, result->n_cycles, result->ts_range};
    block_opt.n_blocks = result->n_blocks;
    block_opt.bloc_len = result->bloc_len;
  }
  return kOk;
}

std::optional<ThicknessFactor> thickness_factor(const ThicknessCurve& curve,
                                                const CurveOpt& curve_opt) {
  const bool has_tref = curve.tref && *curve.tref > 0.0;
  double t = curve_opt.thickness;
  if (!(t > kTiny) && has_tref) t = *curve.tref;
  switch (curve.standard_code) {
    case sncurve::kDnv: return ThicknessFactor{t, 1.0};
    case sncurve::kNorsok: {
      if (!has_tref || !curve.k || !curve.k_high) break;
      if (t < *curve.tref) t = *curve.tref;
      const double deciding =
          curve_opt.exponent_scf > 0.0 ? curve_opt.exponent_scf : effective_scf(curve_opt);
      const double exponent = deciding > kHighScf ? *curve.k_high : *curve.k;
      return ThicknessFactor{t, std::pow(t / *curve.tref, exponent)};
    }
    default: break;
  }
  return std::nullopt;
}

std::optional<double> DMG02A(std::span<const double> sn_curve, const CurveOpt& curve_opt,
                             std::ostream& print) {
  const sncurve::RecordView record(sn_curve);
  const auto found = thickness_factor(
      {record.standard_code(), record.fixed(2), record.fixed(3), record.fixed(4)}, curve_opt);
  if (found) return found->factor;
  print << "\n  *** ERROR IN DMG02A ***\n";
  return std::nullopt;
}

double cyc2fail(double s, std::span<const double> segments, int n_par_per_lin, int n_sn_lin) {
  constexpr std::size_t kValuesPerSegment = 3;
  // A stride below 1 would meet the first segment again or step in front of
  // it: only the first one can take the range then.
  const int n_tried = n_par_per_lin < 1 ? std::min(n_sn_lin, 1) : n_sn_lin;
  for (int j = 0; j < n_tried; ++j) {
    const auto first = static_cast<std::int64_t>(j) * std::max(n_par_per_lin, 1);
    if (static_cast<std::uint64_t>(first) + kValuesPerSegment > segments.size()) break;
    const auto values = segments.subspan(static_cast<std::size_t>(first), kValuesPerSegment);
    const double log_a = values[0];
    const double m = values[1];
    const double n_break = values[2];

    const double a = std::pow(10.0, log_a);
    bool takes = false;
    if (n_break <= 0.0) {
      takes = s > 0.0;
    } else if (m == 0.0) {
      takes = s > 0.0 && a < n_break;
    } else {
      takes = s > std::pow(n_break / a, -1.0 / m);
    }
    // Literally 1 / N with N = A * s^-m cycles to failure: s^m / A rounds
    // differently on some inputs and overflows where s^m does.
    if (takes) return 1.0 / (a * std::pow(s, -m));
  }
  return 0.0;
}

}  // namespace skaldur::damage
