#include "damage/damage.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include "cycles/rainflow.hpp"
#include "cycles/turning_points.hpp"
#include "damage/assess.hpp"
#include "sncurve/record.hpp"

namespace skaldur::damage {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = -1;

constexpr int kMaxBlocks = 500;

// Thickness and SCF answers at or below this float value of 1.0E-10 count as
// not given.
constexpr double kTiny = static_cast<double>(1.0e-10f);

// TSRange is 1.01 times the range of the series, 1.01 as a float.
constexpr double kRangeMargin = static_cast<double>(1.01f);

// Above this effective SCF the thickness exponent is kHigh.
constexpr double kHighScf = 10.0;

constexpr const char* kErrorHeader = "\n  *** ERROR IN DMG02 ***\n";

double effective_scf(const CurveOpt& curve_opt) {
  return curve_opt.scf > kTiny ? curve_opt.scf : 1.0;
}

// The number of blocks used for the number asked: rounded half away from zero
// (NaN as 0, huge values held far above 500), 500 when outside 1 ... 500.
int blocks_used(double asked) {
  const int n = sncurve::round_count(asked);
  return n <= 0 || n > kMaxBlocks ? kMaxBlocks : n;
}

// 1.01 * (max - min) over the values that are not NaN; -inf for an empty or
// all-NaN series. The comparisons are written as selects so that the loop
// vectorises.
double series_range(std::span<const float> series) {
  float lo = std::numeric_limits<float>::infinity();
  float hi = -lo;
  for (const float v : series) {
    lo = v < lo ? v : lo;
    hi = v > hi ? v : hi;
  }
  return kRangeMargin * (static_cast<double>(hi) - static_cast<double>(lo));
}

// The record from segStart on; empty when segStart lies outside it.
std::span<const double> segments_of(std::span<const double> sn_curve,
                                    const sncurve::RecordView& record) {
  const int seg_start = record.seg_start();
  if (seg_start < 1 || static_cast<std::size_t>(seg_start) > sn_curve.size()) return {};
  return sn_curve.subspan(static_cast<std::size_t>(seg_start) - 1);
}

textio::Result<Assessment, AssessError> failed_call(std::ostringstream& print,
                                                    std::string_view routine) {
  print << kErrorHeader << "      Error return from " << routine
        << std::string(8 - routine.size(), ' ') << '\n';
  return textio::fail(AssessError{std::string(routine), std::move(print).str()});
}

}  // namespace

textio::Result<Assessment, AssessError> assess(std::span<const float> series, std::span<float> work,
                                               std::span<const double> sn_curve,
                                               const CurveOpt& curve_opt,
                                               const BlockRequest& blocks) {
  const double force_unit_factor = blocks.force_unit_factor;
  const int n_blocks = blocks_used(static_cast<double>(blocks.blocks));
  const double scf = effective_scf(curve_opt);
  assert(work.size() >= std::max<std::size_t>(series.size(), kMaxBlocks));

  Assessment out;
  out.n_blocks = static_cast<double>(blocks.blocks);
  const double ts_range = series_range(series);
  if (!(ts_range > 0.0)) return out;  // no swing: nothing to count

  const int n_turn_pts = cycles::TSEXTRM(series, work);

  const double bloc_len = ts_range / n_blocks;
  std::array<double, kMaxBlocks> cyc_count{};
  int n_cycles = 0;
  std::ostringstream print;
  if (cycles::TSRAIN2(work.first(static_cast<std::size_t>(n_turn_pts)), n_blocks, bloc_len,
                      cyc_count, n_cycles, print) != kOk) {
    return failed_call(print, "TSRAIN2");
  }

  const sncurve::RecordView record(sn_curve);
  const int n_sn_lin = record.n_sn_lin();
  const int n_par_per_lin = record.n_par_per_lin();
  const std::span<const double> segments = segments_of(sn_curve, record);

  const std::optional<double> thick_fac = DMG02A(sn_curve, curve_opt, print);
  if (!thick_fac) return failed_call(print, "DMG02A");

  double damage = 0.0;
  for (int k = 1; k <= n_blocks; ++k) {
    const double block_range = (static_cast<double>(k - 1) * bloc_len + 0.5 * bloc_len) *
                               *thick_fac * force_unit_factor * scf;
    damage += cyc_count[static_cast<std::size_t>(k - 1)] *
              cyc2fail(block_range, segments, n_par_per_lin, n_sn_lin);
  }

  out.damage = damage;
  out.n_cycles = n_cycles;
  out.ts_range = ts_range;
  out.n_blocks = n_blocks;
  out.bloc_len = bloc_len;
  out.hist.resize(static_cast<std::size_t>(n_blocks));
  for (std::size_t k = 0; k < out.hist.size(); ++k) {
    out.hist[k] = static_cast<float>(cyc_count[k]);
    work[k] = out.hist[k];
  }
  return out;
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

std::optional<double> DMG02A(std::span<const double> sn_curve, const CurveOpt& curve_opt,
                             std::ostream& print) {
  const sncurve::RecordView record(sn_curve);
  switch (record.standard_code()) {
    case sncurve::kDnv: return 1.0;
    case sncurve::kNorsok: {
      const std::optional<double> tref = record.fixed(2);
      const std::optional<double> k = record.fixed(3);
      const std::optional<double> k_high = record.fixed(4);
      if (!tref || !k || !k_high || !(*tref > 0.0)) break;
      double t = curve_opt.thickness > kTiny ? curve_opt.thickness : *tref;
      if (t < *tref) t = *tref;
      const double exponent = effective_scf(curve_opt) > kHighScf ? *k_high : *k;
      return std::pow(t / *tref, exponent);
    }
    default: break;
  }
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
