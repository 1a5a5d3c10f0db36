#pragma once

#include <iosfwd>
#include <optional>
#include <span>

namespace skaldur::damage {

// The plate thickness and the stress concentration factor as answered. A
// thickness not above 1.0E-10 selects the curve's reference thickness; an SCF
// not above 1.0E-10 counts as 1.0. The limit is the float value of 1.0E-10,
// 1.000000013351432E-10.
//
// `exponent_scf`, when above 0, is the SCF that picks the thickness exponent
// instead of the effective SCF: for a hot-spot stress combined from
// components (which carry their own factors), the largest absolute factor
// of its components times its SCF, the largest SCF acting at the point.
struct CurveOpt {
  double thickness = 0.0;
  double scf = 1.0;
  double exponent_scf = 0.0;
};

// The SCF the computation uses: the answer, or 1.0 when it is not above the
// float value of 1.0E-10.
[[nodiscard]] double effective_scf(const CurveOpt& curve_opt);

// In: the factor that turns the series unit into MPa (1.0 or 1.0E-6) and the
// number of blocks asked for (0 for the default). Out, after a computation:
// the number of blocks used and their width BlocLen, in the series unit.
struct BlockOpt {
  double force_unit_factor = 1.0e-6;
  double n_blocks = 0.0;
  double bloc_len = 0.0;
};

// The damage of the series (Miner sum), the number of cycles counted and
// TSRange = 1.01 * (max - min) of the series, in the series unit.
struct DmgOut {
  double damage = 0.0;
  double n_cycles = 0.0;
  double ts_range = 0.0;
};

// Turns a stress series and an SN-curve record into the damage of the series.
//
//  1. TSRange = 1.01f * (max - min), max and min over the float values;
//     NaN values take no part. When TSRange is not above 0 (a constant or
//     empty series) DMG02 returns 0 at once and writes nothing at all:
//     `hist`, `block_opt` and `dmg_out` keep their contents.
//  2. nBlocks = block_opt.n_blocks rounded half away from zero; kMostBlocks
//     when that is 0 or less, above kMostBlocks, or not a number. BlocLen = TSRange / nBlocks.
//  3. The turning points (TSEXTRM) go into `hist`, and TSRAIN2 counts them
//     into the nBlocks blocks.
//  4. The thickness factor comes from DMG02A.
//  5. Each block k (from 1) is assessed at its midpoint, in MPa at the hot spot:
//
//       BlockRange(k) = ((k - 1) * BlocLen + 0.5 * BlocLen)
//                       * ThickFac * force_unit_factor * effective SCF
//
//       count                          every cycle of a block is assessed
//         |      +---+                 at the block's midpoint (x), so the
//         |  +---+   |     +---+       damage belongs to the histogram and
//         |  | x | x |  x  | x |       changes with nBlocks
//         +--+---+---+-----+---+--> range
//         0    BlocLen
//
//     and Damage = sum over k = 1 ... nBlocks, in order, of
//     CycCount(k) * cyc2fail(BlockRange(k)).
//
// On success returns 0, with dmg_out = {Damage, nCycles, TSRange},
// block_opt.n_blocks = nBlocks, block_opt.bloc_len = BlocLen, and
// hist[0 .. nBlocks - 1] = the block counts as floats; the rest of `hist` holds
// leftovers of the count.
//
// When TSRAIN2 or DMG02A fails, returns -1 after their message and
//   "\n  *** ERROR IN DMG02 ***\n      Error return from TSRAIN2 \n"
// (or "... from DMG02A  \n") on `print`; `block_opt` and `dmg_out` are not
// written and `hist` holds no result.
//
// `hist` must have room for work_size(series.size()) values; it may be the
// series' own storage (starting at its first value), since each turning point
// is written behind the values still to be read. Nothing as large as the
// series is allocated; the series may hold more than 2^31 values as long as
// its number of turning points fits in an int. DMG02 is assess() (see
// damage/assess.hpp) with its results written the routine's way.
[[nodiscard]] int DMG02(std::span<const float> series, std::span<float> hist,
                        std::span<const double> sn_curve, const CurveOpt& curve_opt,
                        BlockOpt& block_opt, DmgOut& dmg_out, std::ostream& print);

// The thickness factor of the curve, decided by its standard code:
//   2 (DNV, and every curve from a definition file): 1.0 whatever the
//     thickness;
//   1 (NORSOK): (t / Tref)^e with Tref the curve's `thick`, t the thickness
//     (Tref when it is not above 1.0E-10), raised to Tref when smaller, and e
//     the curve's kHigh when the effective SCF is above 10.0, else its k;
//   anything else: no factor.
// A NORSOK curve whose Tref is not above 0 (or not a number), or whose record
// is too short to hold thick, k and kHigh, has no factor either: dividing by
// such a Tref would only hand an infinite or NaN factor to the damage.
// Without a factor, writes "\n  *** ERROR IN DMG02A ***\n" on `print` and
// returns nothing.
[[nodiscard]] std::optional<double> DMG02A(std::span<const double> sn_curve,
                                           const CurveOpt& curve_opt, std::ostream& print);

// What the thickness factor depends on: the curve's standard code and its
// fixed parameters thick (Tref), k and kHigh, as far as the curve has them.
struct ThicknessCurve {
  int standard_code = 0;
  std::optional<double> tref;
  std::optional<double> k;
  std::optional<double> k_high;
};

// The thickness the factor is taken at and the factor.
struct ThicknessFactor {
  double thickness = 0.0;
  double factor = 1.0;
};

// DMG02A's rule without its message, for reports that show the thickness
// used: the thickness is the answer, or Tref (when above 0) for an answer not
// above 1.0E-10, raised to Tref for a NORSOK curve; the factor is DMG02A's.
// Nothing where DMG02A has no factor.
[[nodiscard]] std::optional<ThicknessFactor> thickness_factor(const ThicknessCurve& curve,
                                                              const CurveOpt& curve_opt);

// The damage 1 / N of one cycle of stress range `s` (MPa).
//
// `segments` is the record from segStart on; segment j (from 1) holds
// LogA, m, nBreak at (j - 1) * n_par_per_lin. The segments are tried in
// order, j = 1 ... n_sn_lin; with A = 10^LogA a segment ends toward low stress
// at
//
//   Sb = (nBreak / A)^(-1 / m)      (0 when nBreak <= 0)
//
// and the first segment with s > Sb gives 1 / N for N = A * s^-m cycles to
// failure, evaluated in that form, 1 / (A * s^-m), not as s^m / A: the two
// differ in the last bit on some inputs, and s^m / A is infinite wherever
// s^m overflows, even when s^-m does not underflow to 0 (LogA 300, m 155,
// s 100 gives 1.0E+10). A range at or below every bound (0, a
// negative or NaN range, or one under a last segment with a cut-off) gives
// 0.0; a range exactly at a bound belongs to the next segment.
//
//   log S
//     ^
//     |`.  segment 1: takes S > Sb1
//  Sb1+..`.
//     |    `-._  segment 2 (nBreak 0: every S > 0)
//     +------------> log N
//
// Never reads outside `segments`: the search stops at the first segment that
// does not fit entirely (and after the first one when n_par_per_lin is below
// 1) and returns 0.0, as if no later segment took the range. A segment with
// m = 0 has the same life A at every range; it takes s > 0 when it has no
// nBreak or when A < nBreak, and never otherwise.
[[nodiscard]] double cyc2fail(double s, std::span<const double> segments, int n_par_per_lin,
                              int n_sn_lin);

}  // namespace skaldur::damage
