#include "damage/hot_spot_stress.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace skaldur::damage {
namespace {

// The eight points of offshore practice, written out by hand: catches a
// point's angle off by 45 degrees, a sign of the out-of-plane term turned,
// the axial SCF of the crown and saddle swapped, and a bending share left at
// cos 90 = 6e-17 instead of 0.
TEST(JointPoint, TheEightPointsAroundTheBrace) {
  const JointScf scf{2.0, 4.0, 3.0, 5.0};
  const double h = std::sqrt(0.5);
  const PointFactors want[kJointPoints] = {
      {2.0, 3.0, 0.0},  {3.0, 3.0 * h, -5.0 * h}, {4.0, 0.0, -5.0}, {3.0, -3.0 * h, -5.0 * h},
      {2.0, -3.0, 0.0}, {3.0, -3.0 * h, 5.0 * h}, {4.0, 0.0, 5.0},  {3.0, 3.0 * h, 5.0 * h},
  };
  for (int point = 1; point <= kJointPoints; ++point) {
    const PointFactors got = joint_point(scf, point);
    const PointFactors& w = want[point - 1];
    EXPECT_EQ(got.axial, w.axial) << point;
    EXPECT_EQ(got.in_plane, w.in_plane) << point;
    EXPECT_EQ(got.out_of_plane, w.out_of_plane) << point;
    EXPECT_EQ(joint_angle(point), (point - 1) * 45);
  }
}

// Catches a sum worked out in float (0.1 x 3 terms rounds differently) and
// terms added out of order.
TEST(CombineStress, SumsInDoubleThenRoundsOnce) {
  const std::vector<float> a = {1e8f, 0.1f, -3.0f};
  const std::vector<float> b = {1.0f, 0.1f, 3.0f};
  const std::vector<StressTerm<float>> terms = {{a, 1.0}, {b, -1.0}, {a, 0.5}};
  const std::vector<float> got = combine_stress<float>(terms, 3);
  for (std::size_t k = 0; k < 3; ++k) {
    const double sum =
        static_cast<double>(a[k]) - static_cast<double>(b[k]) + 0.5 * static_cast<double>(a[k]);
    EXPECT_EQ(got[k], static_cast<float>(sum)) << k;
  }
}

}  // namespace
}  // namespace skaldur::damage
