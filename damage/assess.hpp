#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "damage/damage.hpp"
#include "textio/result.hpp"

namespace skaldur::damage {

// The most blocks a histogram has; a number of blocks asked outside
// 1 ... kMostBlocks gives this many.
inline constexpr std::int32_t kMostBlocks = 500;

// The room a work array needs for a series of `n` values: the turning
// points while counting, the count of every block after.
[[nodiscard]] constexpr std::size_t work_size(std::size_t n) {
  return n > std::size_t{kMostBlocks} ? n : std::size_t{kMostBlocks};
}

// The unit of the series and the blocks asked for: the factor that turns the
// series unit into MPa (1.0 or 1.0E-6), and the number of blocks as asked (0
// or anything outside 1 ... kMostBlocks gives kMostBlocks).
struct BlockRequest {
  double force_unit_factor = 1.0e-6;
  std::int32_t blocks = 0;
};

// Everything the reports need of a computed series.
struct Assessment {
  double damage = 0.0;    // Miner sum of the series ("Computed Damage")
  double n_cycles = 0.0;  // cycles counted
  double ts_range = 0.0;  // 1.01 * (max - min), series unit; 0 when nothing was counted
  double n_blocks = 0.0;  // blocks used; the number asked when nothing was counted
  double bloc_len = 0.0;  // series unit; 0 when the series has no swing (nothing was counted)
  std::vector<float>
      hist;  // cycle count of each block (n_blocks values); empty when nothing was counted
};

// Why a series could not be assessed.
enum class AssessFailure {
  too_short,            // fewer than 4 turning points: no cycle can be counted
  range_beyond_blocks,  // a range at or beyond the blocks' top (a NaN range)
  no_thickness_factor,  // the curve gives no thickness factor (its standard or Tref)
  mean_at_ultimate,     // a cycle's mean stress at or above the ultimate strength (goodman)
  beyond_matrix,        // a cycle value that falls in no bin of the matrix asked for
};

// A short phrase for a failure, for messages: "the series is too short ...".
[[nodiscard]] std::string_view describe(AssessFailure kind);

// Why the computation failed, and exactly what the print file shows for it.
struct AssessError {
  AssessFailure kind = AssessFailure::too_short;
  std::string print_text;
};

// Assesses a stress series against an SN curve: the turning points, the
// four-point count into blocks and the Miner sum, as DMG02 describes them. A
// series without a swing (constant, empty or all NaN) counts nothing: damage,
// cycles, range and block length 0. Pure: no file, console or global state;
// the work array is allocated here.
[[nodiscard]] textio::Result<Assessment, AssessError> assess(std::span<const float> series,
                                                             std::span<const double> sn_curve,
                                                             const CurveOpt& curve_opt,
                                                             const BlockRequest& blocks);

// The same with `work` as the work array: room for work_size(series.size())
// values; it may be the series' own storage (starting at its first value),
// which the computation then overwrites.
[[nodiscard]] textio::Result<Assessment, AssessError> assess(std::span<const float> series,
                                                             std::span<float> work,
                                                             std::span<const double> sn_curve,
                                                             const CurveOpt& curve_opt,
                                                             const BlockRequest& blocks);

// The number of blocks used for the number asked: rounded half away from
// zero (NaN as 0), kMostBlocks when outside 1 ... kMostBlocks.
[[nodiscard]] int blocks_used(double asked);

// The smallest and largest value of a series, NaN values left out: +inf and
// -inf for an empty or all-NaN series. The comparisons are written as
// selects so that the loop vectorises.
template <class T>
struct SeriesBounds {
  T low;
  T high;
};
template <class T>
[[nodiscard]] SeriesBounds<T> series_bounds(std::span<const T> series) {
  T lo = std::numeric_limits<T>::infinity();
  T hi = -lo;
  for (const T v : series) {
    lo = v < lo ? v : lo;
    hi = v > hi ? v : hi;
  }
  return {lo, hi};
}

// TSRange: 1.01 * (max - min) of the values that are not NaN (1.01 as a
// float); -inf for an empty or all-NaN series.
template <class T>
[[nodiscard]] double series_range(const SeriesBounds<T>& bounds) {
  return static_cast<double>(1.01f) *
         (static_cast<double>(bounds.high) - static_cast<double>(bounds.low));
}
template <class T>
[[nodiscard]] double series_range(std::span<const T> series) {
  return series_range(series_bounds(series));
}

// The assessment of a series without a swing: nothing counted, the blocks
// as asked.
[[nodiscard]] Assessment nothing_counted(const BlockRequest& blocks);

// The cycles of a series counted into blocks, before the damage.
struct BlockTally {
  std::array<double, kMostBlocks> cyc_count{};  // blocks 1 ... n_blocks at 0 ... n_blocks - 1
  int n_blocks = kMostBlocks;
  double bloc_len = 0.0;  // series unit
  double ts_range = 0.0;  // series unit
  double n_cycles = 0.0;
};

// The damage of the tally, every block at its midpoint as DMG02 takes it,
// and the assessment that reports it; fails only when the curve gives no
// thickness factor.
[[nodiscard]] textio::Result<Assessment, AssessError> assess_blocks(
    const BlockTally& tally, std::span<const double> sn_curve, const CurveOpt& curve_opt,
    double force_unit_factor);

// Seconds in the year the damage is scaled to: 365 days.
inline constexpr std::int64_t kSecondsPerYear = 31'536'000;

// The damage of one year: damage x 365 x 24 x 3600 / simulation length, or
// nothing when the simulation length is not above 0.
[[nodiscard]] std::optional<double> damage_per_year(double damage, double simulation_length);

// The whole repetitions of the simulated span in one year: 31 536 000 divided
// by the simulation length rounded to whole seconds, discarding the
// remainder; nothing when that length is below 0.5, 0 when it is a year or
// more.
[[nodiscard]] std::optional<std::int64_t> yearly_factor(double simulation_length);

}  // namespace skaldur::damage
