#include "damage/mean_stress.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace skaldur::damage {
namespace {

TEST(corrected_range, WorkedByHand) {
  constexpr MeanStressMethod kNone = MeanStressMethod::none;
  constexpr MeanStressMethod kDnv = MeanStressMethod::dnv;
  constexpr MeanStressMethod kGoodman = MeanStressMethod::goodman;
  const struct {
    MeanStress correction;
    double from;
    double to;
    std::optional<double> range;
  } rows[] = {
      {{kNone, 0.6, 0.0}, 60, -40, 100},
      {{kNone, 0.6, 0.0}, -110, -10, 100},
      // dnv, max 60, min -40: s_t 60, s_c 40, in either order.
      {{kDnv, 0.6, 0.0}, 60, -40, 84},  // 60 + 0.6 x 40
      {{kDnv, 0.6, 0.0}, -40, 60, 84},
      {{kDnv, 0.8, 0.0}, 60, -40, 92},  // 60 + 0.8 x 40
      // Fully tensile: s_t is the whole range, though the maximum is above it.
      {{kDnv, 0.6, 0.0}, 10, 110, 100},
      // Fully compressive: s_t 0, the range times p.
      {{kDnv, 0.6, 0.0}, -110, -10, 60},
      // Crossing zero at its mean: half tensile, half compressive.
      {{kDnv, 0.6, 0.0}, 50, -50, 80},  // 50 + 0.6 x 50
      // goodman, ultimate 400.
      {{kGoodman, 0.6, 400.0}, 0, 100, 100.0 / 0.875},   // mean 50
      {{kGoodman, 0.6, 400.0}, 350, 250, 400},           // mean 300: 100 / 0.25
      {{kGoodman, 0.6, 400.0}, -100, 0, 100},            // compressive: no credit
      {{kGoodman, 0.6, 400.0}, 50, -50, 100},            // mean 0
      {{kGoodman, 0.6, 400.0}, 350, 450, std::nullopt},  // at the ultimate
      {{kGoodman, 0.6, 400.0}, 500, 400, std::nullopt},  // above it
  };
  for (const auto& row : rows) {
    const std::optional<double> got = corrected_range(row.correction, row.from, row.to);
    SCOPED_TRACE(::testing::Message() << name_of(row.correction.method) << " p " << row.correction.p
                                      << ", " << row.from << " to " << row.to);
    ASSERT_EQ(got.has_value(), row.range.has_value());
    if (got) {
      EXPECT_NEAR(*got, *row.range, 1e-12 * *row.range);
    }
  }
}

}  // namespace
}  // namespace skaldur::damage
