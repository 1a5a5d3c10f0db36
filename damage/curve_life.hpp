#pragma once

#include <span>
#include <vector>

namespace skaldur::damage {

// An SN curve ready to be evaluated for many ranges: each segment's A =
// 10^LogA and its break range worked out once.
class CurveLife {
 public:
  // From an SN-curve record (see sncurve/record.hpp), the segments that
  // cyc2fail would try.
  explicit CurveLife(std::span<const double> sn_curve);

  // The damage 1 / N of one cycle of range s (MPa): equal to cyc2fail(s, ...)
  // on the same record, to the last bit.
  [[nodiscard]] double damage(double s) const;

  // The range S that gives `damage_per_cycle` (above 0) in one cycle: the
  // inverse of damage(). The segments are solved from the high-stress end;
  // a solution that falls in a gap at a break (segments that do not meet)
  // gives the break range, and one below the last segment extends that
  // segment. 0 for a damage not above 0.
  [[nodiscard]] double equivalent_range(double damage_per_cycle) const;

 private:
  struct Segment {
    double a = 0.0;  // 10^LogA
    double m = 0.0;
    double n_break = 0.0;
    double s_break = 0.0;  // the range below which the segment gives way; 0 without one
  };
  std::vector<Segment> segments_;
};

}  // namespace skaldur::damage
