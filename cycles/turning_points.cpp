#include "cycles/turning_points.hpp"

#include <cassert>
#include <climits>
#include <cstddef>

namespace skaldur::cycles {

int TSEXTRM(std::span<const float> series, std::span<float> turn_pts) {
  const std::size_t n = series.size();
  if (n < 3) return 0;
  assert(turn_pts.size() >= n - 2);

  // below (above) is 1 when the run of values equal to v that ends at k was
  // entered from a smaller (larger) value. The run that starts the series
  // counts as entered from both sides, a run entered from a NaN from neither.
  // Each step from v to w is compared once: it decides v, and when it is no
  // step at all (w == v) it carries the entry of v's run over to w.
  //
  //   v entered from below, w < v: peak      entered from above, w > v: trough
  //   w == v: not yet decided, the run goes on
  //
  // Branch-free (the flags are unsigned rather than bool, which keeps the
  // compiler from widening them in every step): the candidate is always stored
  // at the next free slot and kept only when it qualifies. Before value k is
  // judged at most k - 1 points have been kept, so the store stays inside the
  // n - 2 slots. Unrolled four times the loop runs as fast as one judging each
  // value by its two neighbours alone (about 1.1 ns a value).
  std::size_t count = 0;
  float v = series[1];
  unsigned below = v >= series[0];
  unsigned above = v <= series[0];
#pragma GCC unroll 4
  for (std::size_t k = 1; k + 1 < n; ++k) {
    const float w = series[k + 1];
    const unsigned up = w > v;
    const unsigned down = w < v;
    const unsigned flat = w == v;
    turn_pts[count] = v;
    count += (below & down) | (above & up);
    below = up | (flat & below);
    above = down | (flat & above);
    v = w;
  }
  assert(count <= static_cast<std::size_t>(INT_MAX));
  return static_cast<int>(count);
}

}  // namespace skaldur::cycles
