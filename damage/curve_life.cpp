#include "damage/curve_life.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "sncurve/record.hpp"

namespace skaldur::damage {

CurveLife::CurveLife(std::span<const double> sn_curve) {
  const sncurve::RecordView record(sn_curve);
  const int n_par_per_lin = record.n_par_per_lin();
  const int n_sn_lin = record.n_sn_lin();
  // The walk of cyc2fail over the record from segStart on: a stride below 1
  // meets only the first segment, and the first segment that does not fit
  // entirely ends the curve.
  const int n_tried = n_par_per_lin < 1 ? std::min(n_sn_lin, 1) : n_sn_lin;
  const std::int64_t stride = std::max(n_par_per_lin, 1);
  for (int j = 0; j < n_tried; ++j) {
    const std::int64_t first = record.seg_start() + j * stride;
    if (first < 1 || first + 2 > static_cast<std::int64_t>(sn_curve.size())) break;
    const auto position = static_cast<int>(first);
    const double log_a = *record.at(position);
    const double m = *record.at(position + 1);
    const double n_break = *record.at(position + 2);

    Segment segment{std::pow(10.0, log_a), m, 0.0, 0.0, Power(m)};
    segment.inverse_a = 1.0 / segment.a;
    // Whatever the segment takes is s > s_break: 0 takes every positive
    // range, infinity none.
    if (n_break <= 0.0) {
      segment.s_break = 0.0;
    } else if (m == 0.0) {
      segment.s_break = segment.a < n_break ? 0.0 : std::numeric_limits<double>::infinity();
    } else {
      segment.s_break = std::pow(n_break / segment.a, -1.0 / m);
    }
    segments_.push_back(segment);
  }
}

double CurveLife::damage(double s) const {
  for (const Segment& segment : segments_) {
    // Written as cyc2fail writes it, 1 / (A * s^-m), so that the two agree
    // to the last bit.
    if (s > segment.s_break) return 1.0 / (segment.a * std::pow(s, -segment.m));
  }
  return 0.0;
}

double CurveLife::equivalent_range(double damage_per_cycle) const {
  if (std::isnan(damage_per_cycle)) return damage_per_cycle;
  if (!(damage_per_cycle > 0.0)) return 0.0;
  // The lowest break range above the segment being solved: ranges above it
  // belong to a segment before.
  double ceiling = std::numeric_limits<double>::infinity();
  double lowest = std::numeric_limits<double>::quiet_NaN();
  for (const Segment& segment : segments_) {
    if (segment.m > 0.0) {
      const double s = std::pow(segment.a * damage_per_cycle, 1.0 / segment.m);
      if (s > segment.s_break) return s > ceiling ? ceiling : s;
      lowest = s;
    }
    if (segment.s_break > 0.0 && segment.s_break < ceiling) ceiling = segment.s_break;
  }
  return lowest;
}

}  // namespace skaldur::damage
