#pragma once

#include <span>

namespace skaldur::cycles {

// Reduces `series` to its turning points, the local peaks and troughs in order
// of occurrence, and returns how many it wrote into the front of `turn_pts`.
//
// A value v between its neighbours u (before) and w (after) is
//   a peak   when v >= u and v > w,
//   a trough when v <= u and v < w,
// compared exactly, with no tolerance. The rule is non-strict towards the
// predecessor and strict towards the successor, so of a run of equal values
// only the last can qualify, and a flat step inside a falling (rising) run is a
// peak (trough): peaks and troughs need not alternate.
//
//      5              0, 5, 2, 2, 1, 3 gives 5 (peak), the second 2 (a peak:
//     / \             equal to its predecessor, above its successor) and
//    /   2--2         1 (trough); the first 2 is not above its successor,
//   /        \   3    and neither end of the series counts.
//  0          \ /
//              1
//
// The first and last value are never turning points; a NaN is never one, and
// neither is a value next to a NaN. Values are copied unchanged.
//
// `turn_pts` needs room for series.size() - 2 values (none when the series has
// fewer than 3). The pass is linear, allocates nothing and indexes with
// std::size_t, so series of more than 2^31 values are fine as long as the
// count itself fits in an int.
[[nodiscard]] int TSEXTRM(std::span<const float> series, std::span<float> turn_pts);

}  // namespace skaldur::cycles
