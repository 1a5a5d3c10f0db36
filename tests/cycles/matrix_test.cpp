#include "cycles/matrix.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace skaldur::cycles {
namespace {

// Catches an edge assigned to the bin below (closed below, open above), a
// negative value truncated toward zero instead of floored, and a huge or
// non-finite quotient reaching the integer conversion.
TEST(MatrixBins, ValuesFallInTheBinClosedBelow) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double x, w;
    std::optional<std::int64_t> bin;
  } rows[] = {
      {0.0, 2.0, 0},
      {-0.0, 2.0, 0},
      {1.999, 2.0, 0},
      {2.0, 2.0, 1},
      {-0.5, 2.0, -1},
      {-2.0, 2.0, -1},
      {-2.001, 2.0, -2},
      {0.3, 0.1, 2},  // 0.3 / 0.1 is 2.9999999999999996 in double
      {1e300, 1e-300, std::nullopt},
      {inf, 1.0, std::nullopt},
      {std::nan(""), 1.0, std::nullopt},
      {9.0e15, 1.0, 9000000000000000},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(bin_of(r.x, r.w), r.bin) << r.x << " / " << r.w;
  }
  EXPECT_EQ(edge_of(-3, 2.5), -7.5);
}

// Catches cells of one kind binned by the other kind's values, the range
// taken from the points instead of the range given, and counts not summed.
TEST(MatrixCounter, CountsEachKindByItsOwnValues) {
  MatrixCounter range_mean({MatrixKind::range_mean, 2.0, 5.0});
  ASSERT_TRUE(range_mean.add(-3.0, 4.0, 7.0, 1.0));  // range 7 -> 3, mean 0.5 -> 0
  ASSERT_TRUE(range_mean.add(10.0, 3.5, 6.5, 0.5));  // range 6.5 -> 3, mean 6.75 -> 1
  ASSERT_TRUE(range_mean.add(4.0, -3.0, 7.0, 0.5));  // the first cell again
  EXPECT_EQ(range_mean.cells(), (std::vector<MatrixCell>{{3, 0, 1.5}, {3, 1, 0.5}}));

  MatrixCounter from_to({MatrixKind::from_to, 2.0, 2.0});
  ASSERT_TRUE(from_to.add(-3.0, 4.0, 7.0, 1.0));
  ASSERT_TRUE(from_to.add(4.0, -3.0, 7.0, 1.0));
  EXPECT_EQ(from_to.cells(), (std::vector<MatrixCell>{{-2, 2, 1.0}, {2, -2, 1.0}}));

  MatrixCounter range({MatrixKind::range, 2.0, 0.0});
  ASSERT_TRUE(range.add(-3.0, 4.0, 7.0, 1.0));
  EXPECT_FALSE(range.add(0.0, 1.0, std::nan(""), 1.0));
  EXPECT_EQ(range.cells(), (std::vector<MatrixCell>{{3, 0, 1.0}}));
}

// Catches a merge that drops the tail of either list, loses the order or
// forgets the factor on the cells only `more` holds.
TEST(MatrixCells, AddUpCellByCellAgainstAMapOfSums) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> bin(-3, 3);
  for (int round = 0; round < 200; ++round) {
    MatrixCounter a({MatrixKind::from_to, 1.0, 1.0});
    MatrixCounter b({MatrixKind::from_to, 1.0, 1.0});
    MatrixCounter both({MatrixKind::from_to, 1.0, 1.0});
    for (int i = 0; i < 10; ++i) {
      const double x = bin(gen), y = bin(gen);
      if (i % 2 == 0) {
        ASSERT_TRUE(a.add(x, y, 0.0, 1.0));
        ASSERT_TRUE(both.add(x, y, 0.0, 1.0));
      } else {
        ASSERT_TRUE(b.add(x, y, 0.0, 1.0));
        ASSERT_TRUE(both.add(x, y, 0.0, 4.0));
      }
    }
    std::vector<MatrixCell> sum = a.cells();
    add_cells(sum, b.cells(), 4.0);
    EXPECT_EQ(sum, both.cells());
  }
}

// Catches cells of the plain array written back at the wrong bins (an
// offset or row length off by one) and cells outside the bounds lost:
// counted with and without bounds, every kind gives the same cells.
TEST(MatrixCounter, TheArrayWithinBoundsCountsAsTheMap) {
  std::mt19937 gen(9);
  std::uniform_real_distribution<double> value(-30.0, 50.0);
  const ValueBounds bounds{-20.0, 40.0, 60.0};  // some values fall outside
  for (const MatrixKind kind : {MatrixKind::range_mean, MatrixKind::from_to, MatrixKind::range}) {
    MatrixCounter boxed({kind, 3.0, 7.0}, bounds);
    MatrixCounter plain({kind, 3.0, 7.0});
    for (int i = 0; i < 2000; ++i) {
      const double from = value(gen), to = value(gen);
      ASSERT_TRUE(boxed.add(from, to, std::fabs(to - from), 0.5 + i % 2));
      ASSERT_TRUE(plain.add(from, to, std::fabs(to - from), 0.5 + i % 2));
    }
    EXPECT_EQ(boxed.cells(), plain.cells());
  }
}

}  // namespace
}  // namespace skaldur::cycles
