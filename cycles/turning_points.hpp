#pragma once

#include <span>

namespace skaldur::cycles {

// Reduces `series` to its turning points, the local peaks and troughs in order
// of occurrence, and returns how many it wrote into the front of `turn_pts`.
//
// A value v followed by w is judged together with the run of values equal to
// v that ends at it, by the value p met last before that run:
//   a peak   when v > w and p < v (the run was entered from below),
//   a trough when v < w and p > v (the run was entered from above),
// where a run that starts the series may end in either. Comparisons are
// exact, with no tolerance. Only the last value of a run can qualify, and for
// a value unlike its predecessor p is simply that predecessor.
//
// A run of equal values inside a rising or falling stretch, a flat step, is
// thus no turning point, and peaks and troughs alternate:
//
//      5              0, 5, 2, 2, 1, 3 gives 5 (peak) and 1 (trough). The
//     / \             step 2, 2 is entered from above and left downwards, so
//    /   2--2         the fall from 5 to 1 stays whole and the rainflow count
//   /        \   3    can close a cycle across it. Neither end of the series
//  0          \ /     counts.
//              1
//
//   flat top     0, 5, 5, 1, 2  gives 5, 1
//   flat bottom  4, 1, 1, 3, 0  gives 1, 3
//   held start   5, 5, 1, 1, 4, 4, 4, 6, 2  gives 5, 1, 6
//
// Holding any value but the first for more steps never changes the result.
// (Holding the first one makes the series start with a run, whose last value
// can then be a turning point.)
//
// The first and last value are never turning points. A NaN is never one, and
// neither is a value next to a NaN or the end of a run entered from a NaN.
// Values are copied unchanged.
//
// `turn_pts` needs room for series.size() - 2 values (none when the series has
// fewer than 3). The pass is linear, allocates nothing and indexes with
// std::size_t, so series of more than 2^31 values are fine as long as the
// count itself fits in an int.
[[nodiscard]] int TSEXTRM(std::span<const float> series, std::span<float> turn_pts);

}  // namespace skaldur::cycles
