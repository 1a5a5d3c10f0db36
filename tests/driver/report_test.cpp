#include "driver/report.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>

namespace skaldur::driver {
namespace {

const std::string kStamp = std::string(" Date : 2026-12-05 18:08:43") + std::string(229, ' ');

ReportData two_blocks(const std::array<float, 2>& hist) {
  ReportData data;
  data.date_stamp = kStamp;
  data.force_unit_factor = 1.0;
  data.n_cycles = 3.0;
  data.n_blocks = 2.0;
  data.bloc_len = 1.5;
  data.ts_range = 3.03;
  data.simulation_length = 10800.0;
  static std::array<float, 2> storage;
  storage = hist;
  data.hist = storage;
  return data;
}

TEST(PlotFile, TracesTheHistogramOutline) {
  std::ostringstream file;
  write_plot_file(file, two_blocks({3.0f, 0.5f}));
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

TEST(PlotFile, BlocksBeyondTheCountReadAsZero) {
  // A constant series leaves the number of blocks asked and no counts.
  ReportData data = two_blocks({0.0f, 0.0f});
  data.n_blocks = 0.0;
  data.bloc_len = 0.0;
  std::ostringstream none;
  write_plot_file(none, data);
  EXPECT_NE(none.str().find("# TS Stress range [MPa] :        3.030\n"
                            "    0.00000E+00    0.00000E+00\n"
                            "    0.00000E+00    0.00000E+00\n"),
            std::string::npos);
  data.n_blocks = 4.0;  // more blocks than counts
  std::ostringstream more;
  write_plot_file(more, data);
  const std::string text = more.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5 + 2 * 4 + 2);
}

TEST(CyclesPerYearFile, ScalesCountsByWholeRepetitionsOfTheSpan) {
  std::ostringstream file;
  const ReportData data = two_blocks({3.0f, 0.5f});
  write_cycles_per_year(file, data, *yearly_factor(data.simulation_length));
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
  ReportData data = two_blocks({3.0f, 0.5f});
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
    EXPECT_EQ(yearly_factor(row.length), row.factor) << row.length;
}

TEST(DamagePerYear, ScalesToOneYearOrIsUndefined) {
  EXPECT_DOUBLE_EQ(*damage_per_year(2.0e-10, 10800.0), 2.0e-10 * 31536000.0 / 10800.0);
  EXPECT_DOUBLE_EQ(*damage_per_year(1.0, 40'000'000.0), 31536000.0 / 40'000'000.0);
  EXPECT_FALSE(damage_per_year(1.0, 0.0).has_value());
  EXPECT_FALSE(damage_per_year(1.0, -1.0).has_value());

  ReportData data = two_blocks({3.0f, 0.5f});
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
