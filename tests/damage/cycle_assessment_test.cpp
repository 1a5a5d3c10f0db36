#include "damage/cycle_assessment.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "damage/curve_life.hpp"
#include "sncurve/catalogue.hpp"
#include "sncurve/record.hpp"

namespace skaldur::damage {
namespace {

// N = 10^12 / S^3 on one segment without end; DNV, so no thickness factor.
const std::vector<double> kOneSlope = {2, 1, 1, 1, 3, 4, 9, 12, 12, 3, 0, 0, 25, 0.2, 0.25};

double life(double s) {
  return std::pow(s, 3.0) / 1e12;
}

// A request that leaves the dialogue's path: a matrix is asked for.
CycleRequest with_matrix(cycles::Conventions conventions = {}) {
  CycleRequest request;
  request.conventions = conventions;
  request.matrix = cycles::MatrixSpec{cycles::MatrixKind::range, 1.0, 1.0};
  return request;
}

// Catches a cycle-by-cycle path whose blocks, cycle count or block damage
// depart from the dialogue's in any bit: random series on random catalogue
// curves, thicknesses, SCFs and numbers of blocks.
TEST(CycleAssessment, DefaultConventionsGiveTheDialoguesDamageToTheBit) {
  const auto catalogue = sncurve::builtin_catalogue();
  ASSERT_TRUE(catalogue);
  std::mt19937 gen(3);
  std::uniform_real_distribution<float> value(-50e6f, 80e6f);
  std::uniform_int_distribution<int> curve(1, catalogue->count);
  std::uniform_int_distribution<int> length(2, 300);
  for (int round = 0; round < 300; ++round) {
    std::vector<float> series(static_cast<std::size_t>(length(gen)));
    for (float& v : series)
      v = round % 4 == 0 ? std::round(value(gen) / 1e7f) * 1e7f : value(gen);
    sncurve::Record record{};
    ASSERT_TRUE(sncurve::copy_curve(*catalogue, curve(gen), record));
    const CurveOpt opt{round % 3 == 0 ? 0.0 : 10.0 + round % 60, 1.0 + (round % 5) * 0.3};
    const BlockRequest blocks{1e-6, static_cast<std::int32_t>(round % 7 == 0 ? 0 : round % 120)};
    const auto plain = assess(series, record, opt, blocks);
    const auto counted = assess_cycles<float>(series, record, opt, blocks, with_matrix());
    ASSERT_EQ(plain.ok(), counted.ok()) << round;
    if (!plain) {
      EXPECT_EQ(plain.error().kind, counted.error().kind);
      continue;
    }
    const Assessment& a = counted->assessment;
    EXPECT_EQ(a.damage, plain->damage) << round;
    EXPECT_EQ(a.n_cycles, plain->n_cycles) << round;
    EXPECT_EQ(a.hist, plain->hist) << round;
    double in_cells = 0.0;
    for (const cycles::MatrixCell& cell : counted->matrix)
      in_cells += cell.cycles;
    double in_blocks = 0.0;
    for (const float b : a.hist)
      in_blocks += b;
    EXPECT_NEAR(in_cells, in_blocks, 1e-6 * in_blocks) << round;
  }
}

// Worked by hand on N = 10^12 / S^3, series in MPa: -100, 60, -40, 100 with
// the ends kept closes 60 -> -40 (range 100, mean 10) and leaves the half
// cycle -100 -> 100 (range 200, mean 0). Catches a correction on the wrong
// part of the range, a credit for compressive means, the static stress left
// out of the mean, and the correction applied to the DEL.
TEST(CycleAssessment, ExactDamageWithMeanStressCorrectionByHand) {
  const std::vector<float> series = {-100, 60, -40, 100};
  const struct {
    MeanStress correction;
    double static_stress;
    double damage;
  } rows[] = {
      {{}, 0.0, life(100) + 0.5 * life(200)},
      {{MeanStressMethod::dnv, 0.6, 0}, 0.0, life(84) + 0.5 * life(160)},
      {{MeanStressMethod::dnv, 0.8, 0}, 0.0, life(92) + 0.5 * life(180)},
      {{MeanStressMethod::dnv, 0.6, 0}, 100.0, life(100) + 0.5 * life(200)},  // all tensile
      {{MeanStressMethod::goodman, 0, 500}, 0.0, life(100 / (1 - 10.0 / 500)) + 0.5 * life(200)},
      {{MeanStressMethod::goodman, 0, 500}, -50.0, life(100) + 0.5 * life(200)},
      {{MeanStressMethod::goodman, 0, 500},
       100.0,
       life(100 / (1 - 110.0 / 500)) + 0.5 * life(200 / (1 - 100.0 / 500))},
  };
  for (const auto& row : rows) {
    CycleRequest request;
    request.conventions = {cycles::Ends::keep, cycles::Residue::half};
    request.method = DamageMethod::exact;
    request.mean_stress = row.correction;
    request.static_stress = row.static_stress;
    request.del_exponents = {3.0};
    const auto counted = assess_cycles<float>(series, kOneSlope, {}, {1.0, 0}, request);
    ASSERT_TRUE(counted);
    EXPECT_NEAR(counted->assessment.damage, row.damage, 1e-12 * row.damage);
    EXPECT_DOUBLE_EQ(counted->del_sums.at(0), 1e6 + 0.5 * 8e6);  // uncorrected
  }

  CycleRequest at_ultimate;
  at_ultimate.conventions = {cycles::Ends::keep, cycles::Residue::half};
  at_ultimate.method = DamageMethod::exact;
  at_ultimate.mean_stress = {MeanStressMethod::goodman, 0, 500};
  at_ultimate.static_stress = 490.0;  // the closed cycle's mean is 500
  const auto refused = assess_cycles<float>(series, kOneSlope, {}, {1.0, 0}, at_ultimate);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().kind, AssessFailure::mean_at_ultimate);
}

// With m the curve's own exponent and N_eq cycles, the DEL reproduces the
// exact damage: N_eq / N(DEL) = sum n_i / N(S_i). Catches DEL sums taken of
// other ranges than the damage's (unit, SCF, residue counts).
TEST(CycleAssessment, DelOnTheCurvesExponentReproducesTheExactDamage) {
  std::mt19937 gen(5);
  std::normal_distribution<double> value(0.0, 30.0);
  for (const cycles::Residue residue : {cycles::Residue::half, cycles::Residue::repeated}) {
    std::vector<double> series(5000);
    for (double& v : series)
      v = value(gen) * 1e6;  // Pa
    CycleRequest request;
    request.conventions = {cycles::Ends::keep, residue};
    request.method = DamageMethod::exact;
    request.del_exponents = {3.0, 5.0};
    const auto counted = assess_cycles<double>(series, kOneSlope, {0.0, 1.7}, {1e-6, 0}, request);
    ASSERT_TRUE(counted);
    const double n_eq = 1e6;
    const double del = std::pow(counted->del_sums.at(0) / n_eq, 1.0 / 3.0);
    EXPECT_NEAR(n_eq * life(del), counted->assessment.damage, 1e-12 * counted->assessment.damage);
  }
}

}  // namespace
}  // namespace skaldur::damage
