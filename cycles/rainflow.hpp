#pragma once

#include <iosfwd>
#include <span>

namespace skaldur::cycles {

// Counts the cycles in the turning points `turn_pts` by the four-point
// rainflow rule into `n_blocks` stress-range blocks of width `bloc_len`.
// Returns 0 on success, or -1 after writing a message that names RAINFLW to
// `print`.
//
// The points are pushed onto a stack one at a time. While it holds four or
// more, its top four S1, S2, S3, S4 (S4 on top) are tested:
//
//   S1 >= S4:                       S1 < S4:
//    S1                                              S4
//      \       S3                           S2      /
//       \     /  \                         /  \    /
//        \   /    \                       /    \  /
//         \ /      \                     /      S3
//          S2       S4                 S1
//
//   a cycle when                    a cycle when
//   S4 <= S2 <= S3 <= S1            S1 <= S3 <= S2 <= S4
//
// with every bound inclusive. A cycle counts 1.0 in the block of its range
// |S2 - S3| and one in `n_cycles`; S2 and S3 leave the stack and the new top
// four are tested at once. The L points left when the input is used up are
// the residue: `n_cycles` grows by L / 2 rounded half away from zero, and
// each pair of neighbours in it is a half cycle counting 0.5. The rule is
// applied as it stands to any sequence, also where peaks and troughs do not
// alternate.
//
// Block k (from 1, stored in cyc_count[k - 1]) holds the ranges R with
// (k - 1) * bloc_len <= R < k * bloc_len. Ranges are worked out in double
// from the float points.
//
// On success cyc_count[0 .. n_blocks - 1] and `n_cycles` hold the count;
// entries of `cyc_count` beyond them are untouched. Failures:
//   - fewer than 4 turning points ("Too short time series"): nothing but
//     `print` changes;
//   - a range at or beyond Smax = n_blocks * bloc_len, or a NaN range
//     ("Stress-range larger than Smax", with Smax and the range): the count
//     stops there, and `cyc_count` and `n_cycles` hold a partial result.
//
// `turn_pts` is the working stack and is overwritten. The pass is linear in
// the number of points and allocates nothing. `bloc_len` must be above 0 and
// `cyc_count` hold at least `n_blocks` entries.
[[nodiscard]] int TSRAIN2(std::span<float> turn_pts, int n_blocks, double bloc_len,
                          std::span<double> cyc_count, int& n_cycles, std::ostream& print);

}  // namespace skaldur::cycles
