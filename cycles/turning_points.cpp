#include "cycles/turning_points.hpp"

#include <cassert>
#include <climits>
#include <cstddef>

namespace skaldur::cycles {

int TSEXTRM(std::span<const float> series, std::span<float> turn_pts) {
  const std::size_t n = series.size();
  if (n < 3) return 0;
  assert(turn_pts.size() >= n - 2);

  // Branch-free: the candidate is always stored at the next free slot and kept
  // only when it qualifies. Before value k is judged at most k - 1 points have
  // been kept, so the store stays inside the n - 2 slots.
  std::size_t count = 0;
  float u = series[0];
  float v = series[1];
  for (std::size_t k = 1; k + 1 < n; ++k) {
    const float w = series[k + 1];
    const bool peak = (v >= u) & (v > w);
    const bool trough = (v <= u) & (v < w);
    turn_pts[count] = v;
    count += static_cast<std::size_t>(peak | trough);
    u = v;
    v = w;
  }
  assert(count <= static_cast<std::size_t>(INT_MAX));
  return static_cast<int>(count);
}

}  // namespace skaldur::cycles
