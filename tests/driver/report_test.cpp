#include "driver/report.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "damage/assess.hpp"

namespace skaldur::driver {
namespace {

const std::string kStamp = std::string(" Date : 2026-12-05 18:08:43") + std::string(229, ' ');

// The worked example: counts 3 and 0.5 in two blocks of 1.5 over 10 800 s.
const float kHist[] = {3.0f, 0.5f};
ReportData two_blocks() {
  ReportData data;
  data.date_stamp = kStamp;
  data.force_unit_factor = 1.0;
  data.n_cycles = 3.0;
  data.n_blocks = 2.0;
  data.bloc_len = 1.5;
  data.ts_range = 3.03;
  data.simulation_length = 10800.0;
  data.hist = kHist;
  return data;
}

TEST(PlotFile, TracesTheHistogramOutline) {
  std::ostringstream file;
  write_plot_file(file, two_blocks());
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
  const ReportData data = two_blocks();
  write_cycles_per_year(file, data, *damage::yearly_factor(data.simulation_length));
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
  ReportData data = two_blocks();
  data.n_cycles = 5.0e9;
  std::ostringstream file;
  write_cycles_per_year(file, data, 31'536'000);
  EXPECT_NE(file.str().find("# Number of Cycles      : ************\n"), std::string::npos);
}

TEST(YearlyFactor, Rows) {
  const struct {
    double length;
    std::optional<std::int64_t> factor;
  } rows[] = {
      {10800.0, 2920}, {7000.0, 4505}, {40'000'000.0, 0}, {31'536'000.0, 1}, {0.5, 31'536'000},
      {0.49, {}},      {0.0, {}},      {-5.0, {}},        {1.0e300, 0},      {std::nan(""), {}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(damage::yearly_factor(row.length), row.factor) << row.length;
}

TEST(DamagePerYear, IsUndefinedWithoutASpanOfTime) {
  EXPECT_FALSE(damage::damage_per_year(1.0, -1.0).has_value());
  ReportData data = two_blocks();
  data.damage = 0.001234567;
  data.simulation_length = 0.0;
  std::ostringstream out;
  write_console_results(out, data);
  EXPECT_EQ(out.str(),
            " Computed Damage               :     1.23457E-03\n"
            " Computed Damage per Year      :       undefined\n");
}

}  // namespace
}  // namespace skaldur::driver
