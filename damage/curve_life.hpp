#pragma once

#include <cmath>
#include <span>
#include <vector>

#include "damage/equivalent_load.hpp"

namespace skaldur::damage {

// An SN curve ready to be evaluated for many ranges: each segment's A =
// 10^LogA and its break range worked out once.
class CurveLife {
 public:
  // From an SN-curve record (see sncurve/record.hpp), the segments that
  // cyc2fail would try: from segStart on, nParPerLin apart, at most nSNlin
  // of them (only the first when nParPerLin is below 1), up to the first
  // that does not fit in the record.
  explicit CurveLife(std::span<const double> sn_curve);

  // The damage 1 / N of one cycle of range s (MPa): equal to cyc2fail(s, ...)
  // on the same record, to the last bit.
  [[nodiscard]] double damage(double s) const;

  // The same damage worked out fast for sums over many cycles: s^m / A with
  // a whole m multiplied out (see Power), within a few units of the last
  // bit of damage(s). Where s^m or 1 / A leaves the doubles, damage()'s
  // own form.
  [[nodiscard]] double cycle_damage(double s) const {
    for (const Segment& segment : segments_) {
      if (!(s > segment.s_break)) continue;
      const double d = segment.power(s) * segment.inverse_a;
      return std::isfinite(d) ? d : 1.0 / (segment.a * std::pow(s, -segment.m));
    }
    return 0.0;
  }

  // The range S that gives `damage_per_cycle` = d (above 0) in one cycle: the
  // inverse of damage(). The segments are solved from the high-stress end,
  // each with a slope (m above 0) for S = (A d)^(1/m); the first one that
  // takes its S gives it:
  //
  //   log S
  //     ^
  //     |`.   segment 1: S above Sb1
  //     |  `.
  //  Sb1+----*=====*     a life 1 / d between the two ends at Sb1 (a gap:
  //     |           `.   the segments do not meet) gives Sb1
  //     |             `.   segment 2
  //  Sb2+ . . . . . . . `.
  //     |                 `.   below a cut-off the last segment is
  //     |                   `.  extended: damage(S) is 0 there
  //     +-----------------------> log N = log (1 / d)
  //
  // 0 for a damage not above 0, NaN for NaN and for a curve without a
  // segment that has a slope.
  [[nodiscard]] double equivalent_range(double damage_per_cycle) const;

 private:
  struct Segment {
    double a = 0.0;  // 10^LogA
    double m = 0.0;
    // The segment takes the ranges s > s_break: 0 when it has no nBreak,
    // (nBreak / A)^(-1 / m) when it has; with m = 0, 0 when A < nBreak and
    // infinity (it takes no range) otherwise.
    double s_break = 0.0;
    double inverse_a = 0.0;  // 1 / A
    Power power{0.0};        // s^m
  };
  std::vector<Segment> segments_;
};

}  // namespace skaldur::damage
