#include "damage/assess.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <sstream>

#include "cycles/rainflow.hpp"
#include "cycles/turning_points.hpp"
#include "sncurve/record.hpp"

namespace skaldur::damage {
namespace {

// The four-point rule needs four turning points to count a cycle.
constexpr int kLeastTurningPoints = 4;

// The record from segStart on; empty when segStart lies outside it.
std::span<const double> segments_of(std::span<const double> sn_curve,
                                    const sncurve::RecordView& record) {
  const int seg_start = record.seg_start();
  if (seg_start < 1 || static_cast<std::size_t>(seg_start) > sn_curve.size()) return {};
  return sn_curve.subspan(static_cast<std::size_t>(seg_start) - 1);
}

// Ends the print text of a failed call with DMG02's own lines, which name
// the routine that failed.
textio::Result<Assessment, AssessError> failed_call(std::ostringstream& print,
                                                    std::string_view routine, AssessFailure kind) {
  print << "\n  *** ERROR IN DMG02 ***\n"
        << "      Error return from " << routine << std::string(8 - routine.size(), ' ') << '\n';
  return textio::fail(AssessError{kind, std::move(print).str()});
}

}  // namespace

Assessment nothing_counted(const BlockRequest& blocks) {
  Assessment out;
  out.n_blocks = static_cast<double>(blocks.blocks);
  return out;
}

int blocks_used(double asked) {
  const int n = sncurve::round_count(asked);
  return n <= 0 || n > kMostBlocks ? kMostBlocks : n;
}

std::string_view describe(AssessFailure kind) {
  switch (kind) {
    case AssessFailure::too_short:
      return "the series is too short to count cycles (fewer than 4 turning points)";
    case AssessFailure::range_beyond_blocks:
      return "a stress range lies beyond the top of the blocks";
    case AssessFailure::no_thickness_factor: return "the SN curve gives no thickness factor";
    case AssessFailure::mean_at_ultimate:
      return "a cycle's mean stress is at or above the ultimate strength, where the Goodman "
             "correction has no meaning";
    case AssessFailure::beyond_matrix:
      return "a cycle lies beyond the matrix's reach (a value of 2^53 bins or more)";
  }
  return "the damage computation failed";
}

textio::Result<Assessment, AssessError> assess(std::span<const float> series, std::span<float> work,
                                               std::span<const double> sn_curve,
                                               const CurveOpt& curve_opt,
                                               const BlockRequest& blocks) {
  const double force_unit_factor = blocks.force_unit_factor;
  const int n_blocks = blocks_used(static_cast<double>(blocks.blocks));
  assert(work.size() >= work_size(series.size()));

  const double ts_range = series_range(series);
  if (!(ts_range > 0.0)) return nothing_counted(blocks);

  const int n_turn_pts = cycles::TSEXTRM(series, work);

  BlockTally tally;
  tally.n_blocks = n_blocks;
  tally.bloc_len = ts_range / n_blocks;
  tally.ts_range = ts_range;
  std::ostringstream print;
  int n_cycles = 0;
  if (cycles::TSRAIN2(work.first(static_cast<std::size_t>(n_turn_pts)), n_blocks, tally.bloc_len,
                      tally.cyc_count, n_cycles, print) != 0) {
    return failed_call(print, "TSRAIN2",
                       n_turn_pts < kLeastTurningPoints ? AssessFailure::too_short
                                                        : AssessFailure::range_beyond_blocks);
  }
  tally.n_cycles = n_cycles;

  auto out = assess_blocks(tally, sn_curve, curve_opt, force_unit_factor);
  if (out) {
    const std::vector<float>& hist = out.value().hist;
    std::copy(hist.begin(), hist.end(), work.begin());
  }
  return out;
}

textio::Result<Assessment, AssessError> assess_blocks(const BlockTally& tally,
                                                      std::span<const double> sn_curve,
                                                      const CurveOpt& curve_opt,
                                                      double force_unit_factor) {
  const sncurve::RecordView record(sn_curve);
  const int n_sn_lin = record.n_sn_lin();
  const int n_par_per_lin = record.n_par_per_lin();
  const std::span<const double> segments = segments_of(sn_curve, record);
  const double scf = effective_scf(curve_opt);
  const int n_blocks = tally.n_blocks;
  const double bloc_len = tally.bloc_len;

  std::ostringstream print;
  const std::optional<double> thick_fac = DMG02A(sn_curve, curve_opt, print);
  if (!thick_fac) return failed_call(print, "DMG02A", AssessFailure::no_thickness_factor);

  double damage = 0.0;
  for (int k = 1; k <= n_blocks; ++k) {
    const double block_range = (static_cast<double>(k - 1) * bloc_len + 0.5 * bloc_len) *
                               *thick_fac * force_unit_factor * scf;
    damage += tally.cyc_count[static_cast<std::size_t>(k - 1)] *
              cyc2fail(block_range, segments, n_par_per_lin, n_sn_lin);
  }

  Assessment out;
  out.damage = damage;
  out.n_cycles = tally.n_cycles;
  out.ts_range = tally.ts_range;
  out.n_blocks = n_blocks;
  out.bloc_len = bloc_len;
  out.hist.resize(static_cast<std::size_t>(n_blocks));
  for (std::size_t k = 0; k < out.hist.size(); ++k)
    out.hist[k] = static_cast<float>(tally.cyc_count[k]);
  return out;
}

textio::Result<Assessment, AssessError> assess(std::span<const float> series,
                                               std::span<const double> sn_curve,
                                               const CurveOpt& curve_opt,
                                               const BlockRequest& blocks) {
  std::vector<float> work(work_size(series.size()));
  return assess(series, work, sn_curve, curve_opt, blocks);
}

std::optional<double> damage_per_year(double damage, double simulation_length) {
  if (!(simulation_length > 0.0)) return std::nullopt;
  return damage * 365.0 * 24.0 * 3600.0 / simulation_length;
}

std::optional<std::int64_t> yearly_factor(double simulation_length) {
  if (!(simulation_length >= 0.5)) return std::nullopt;
  if (simulation_length >= static_cast<double>(kSecondsPerYear) + 0.5) return 0;
  return kSecondsPerYear / std::llround(simulation_length);
}

}  // namespace skaldur::damage
