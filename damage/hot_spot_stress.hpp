#pragma once

#include <array>
#include <span>
#include <vector>

namespace skaldur::damage {

// One stress component of a hot-spot stress: a series and its factor.
template <class T>
struct StressTerm {
  std::span<const T> values;
  double factor = 1.0;
};

// The hot-spot stress of components: sample by sample the sum of factor x
// value, worked out in double in the order of the terms and then held in T
// (single precision for records read by the programs). `n` samples; every
// term must hold at least n values.
template <class T>
[[nodiscard]] std::vector<T> combine_stress(std::span<const StressTerm<T>> terms, std::size_t n);

// The same written into `out` (its out.size() samples), which may be reused
// from one hotspot to the next.
template <class T>
void combine_stress(std::span<const StressTerm<T>> terms, std::span<T> out);

// The SCFs of a brace's joint: the axial SCF at the crown (0 and 180
// degrees) and at the saddle (90 and 270 degrees), and those of in-plane and
// out-of-plane bending.
struct JointScf {
  double axial_crown = 1.0;
  double axial_saddle = 1.0;
  double in_plane = 1.0;
  double out_of_plane = 1.0;
};

// The points around the brace: point i = 1 ... 8 at (i - 1) x 45 degrees
// from the crown.
inline constexpr int kJointPoints = 8;

// What each nominal stress counts at one point of a joint:
//
//   sigma(theta) = SCF_A(theta) x axial + SCF_IPB x in_plane x cos(theta)
//                  - SCF_OPB x out_of_plane x sin(theta)
//
//              crown (1)              SCF_A is axial_crown at points 1 and 5,
//          8 .-------. 2              axial_saddle at 3 and 7, their mean at
//           /    |    \               the four points between. cos and sin
//  saddle 7 |----+----| 3 saddle      are exact at 0, 90, 180 and 270 degrees
//           \    |    /               (a bending stress has no share there)
//          6 '-------' 4              and sqrt(1/2) with its sign between.
//              crown (5)
struct PointFactors {
  double axial = 0.0;
  double in_plane = 0.0;
  double out_of_plane = 0.0;
};

// The factors of point `point` (1 ... kJointPoints).
[[nodiscard]] PointFactors joint_point(const JointScf& scf, int point);

// The angle of point `point` from the crown, in degrees: 0, 45, ... 315.
[[nodiscard]] int joint_angle(int point);

}  // namespace skaldur::damage
