#include "report/report.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "damage/assess.hpp"

namespace skaldur::report {
namespace {

const std::string kStamp = std::string(" Date : 2026-12-05 18:08:43") + std::string(229, ' ');

// The worked example: counts 3 and 0.5 in two blocks of 1.5 MPa over
// 10 800 s, the series in Pa.
damage::Assessment two_blocks() {
  damage::Assessment result;
  result.n_cycles = 3.0;
  result.n_blocks = 2.0;
  result.bloc_len = 1.5e6;
  result.ts_range = 3.03e6;
  result.hist = {3.0f, 0.5f};
  return result;
}

RunFacts facts(double simulation_length = 10800.0) {
  RunFacts f;
  f.date_stamp = kStamp;
  f.force_unit_factor = 1.0e-6;
  f.simulation_length = simulation_length;
  return f;
}

TEST(PlotFile, TracesTheHistogramOutline) {
  std::ostringstream file;
  write_plot_file(file, two_blocks(), facts());
  EXPECT_EQ(file.str(), "#" + kStamp +
                            "\n"
                            "# Number of Cycles      :            3\n"
                            "# Number of Stressblocks:            2\n"
                            "# Block Length    [MPa] :        1.500\n"
                            "# TS Stress range [MPa] :        3.030\n"
                            "    0.00000E+00    0.00000E+00\n"
                            "    0.00000E+00    3.00000E+00\n"
                            "    1.50000E+00    3.00000E+00\n"
                            "    1.50000E+00    5.00000E-01\n"
                            "    3.00000E+00    5.00000E-01\n"
                            "    3.00000E+00    0.00000E+00\n");
}

TEST(CyclesPerYearFile, ScalesCountsByWholeRepetitionsOfTheSpan) {
  std::ostringstream file;
  write_cycles_per_year(file, two_blocks(), facts(), *damage::yearly_factor(10800.0));
  EXPECT_EQ(file.str(), "#" + kStamp +
                            "\n"
                            "#           \n"
                            "# ==================================\n"
                            "# == Data refer to Cycles per Year =\n"
                            "# ----------------------------------\n"
                            "#           \n"
                            "# Number of Cycles      :         8760\n"
                            "# Number of Stressblocks:            2\n"
                            "# Block Length    [MPa] :      1.50000\n"
                            "# TS Stress range [MPa] :      3.03000\n"
                            "#           \n"
                            "# nBlocks    BlocLen    TSRange\n"
                            "       2     1.50000     3.03000\n"
                            "#           \n"
                            "    1.50000E+00    8.76000E+03\n"
                            "    3.00000E+00    1.46000E+03\n");
}

TEST(CyclesPerYearFile, CountsBeyondTheFieldShowAsterisks) {
  damage::Assessment result = two_blocks();
  result.n_cycles = 5.0e9;
  std::ostringstream file;
  write_cycles_per_year(file, result, facts(), 31'536'000);
  EXPECT_NE(file.str().find("# Number of Cycles      : ************\n"), std::string::npos);
}

TEST(DamagePerYear, IsUndefinedWithoutASpanOfTime) {
  damage::Assessment result = two_blocks();
  result.damage = 0.001234567;
  std::ostringstream out;
  write_console_results(out, result, facts(0.0));
  EXPECT_EQ(out.str(),
            " Computed Damage               :     1.23457E-03\n"
            " Computed Damage per Year      :       undefined\n");
}

}  // namespace
}  // namespace skaldur::report
