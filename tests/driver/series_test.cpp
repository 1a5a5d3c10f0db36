#include "driver/series.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.hpp"

namespace skaldur::driver {
namespace {

struct Outcome {
  bool ok = false;
  SeriesData data;
  SeriesError error;
  int columns_found = 0;  // 0 when the column was never asked for
};

Outcome read(const std::string& content, int column = 2, TimeWindow window = {}) {
  skaldur::testing::TempDir dir;
  const std::string path = dir.write("series", content);
  const int fd = ::open(path.c_str(), O_RDONLY);
  textio::LineReader lines(fd);
  Outcome outcome;
  outcome.ok = read_series(
      lines, window,
      [&](int columns) {
        outcome.columns_found = columns;
        return column;
      },
      outcome.data, outcome.error);
  ::close(fd);
  return outcome;
}

TEST(ReadSeries, TakesTheChosenColumnOfTheAcceptedLines) {
  const std::string file = "# time stress\n0.0 10.0 5.0\n1.0 12.0 4.0\n2.0 8.0 6.0\n";
  const Outcome col2 = read(file, 2);
  ASSERT_TRUE(col2.ok);
  EXPECT_EQ(col2.columns_found, 3);
  EXPECT_EQ(col2.data.series, (std::vector<float>{10.0f, 12.0f, 8.0f}));
  EXPECT_EQ(col2.data.simulation_length, 2.0);
  const Outcome col3 = read(file, 3);
  EXPECT_EQ(col3.data.series, (std::vector<float>{5.0f, 4.0f, 6.0f}));
}

TEST(ReadSeries, SkipsCommentsAndBlankLinesOnly) {
  const Outcome o =
      read("$ a\n# b\n! c\n' d\n\n     \n-2 99\n-1 98\n0 1\n# later comment\n1,2\n2, 3 junk\n");
  ASSERT_TRUE(o.ok) << o.error.what;
  EXPECT_EQ(o.data.series, (std::vector<float>{1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(o.columns_found, 2);
  EXPECT_EQ(o.data.simulation_length, 2.0);
}

TEST(ReadSeries, HoldsValuesInSinglePrecision) {
  const Outcome o = read("0 123456.789\n1 -3.5E+02\n2 1.25E-3\n3 12\n");
  ASSERT_TRUE(o.ok);
  ASSERT_EQ(o.data.series.size(), 4u);
  EXPECT_EQ(static_cast<double>(o.data.series[0]), 123456.7890625);
  EXPECT_EQ(o.data.series[1], -350.0f);
  EXPECT_EQ(o.data.series[2], 1.25e-3f);
  EXPECT_EQ(o.data.series[3], 12.0f);
}

TEST(ReadSeries, TimesNeedNotIncrease) {
  const TimeWindow window{1.0, 5.0};
  const Outcome o = read("0 9\n1 1\n0.5 9\n3 2\n2 3\n6 9\n4 9\n", 2, window);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.data.series, (std::vector<float>{1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(o.data.simulation_length, 5.0);  // time 6 minus the start time 1
}

TEST(ReadSeries, NoLineInTheWindow) {
  const Outcome empty = read("# only a comment\n");
  ASSERT_TRUE(empty.ok);
  EXPECT_TRUE(empty.data.series.empty());
  EXPECT_EQ(empty.columns_found, 0);
  EXPECT_EQ(empty.data.simulation_length, 0.0);

  const Outcome before = read("-3 1\n-2 1\n");
  ASSERT_TRUE(before.ok);
  EXPECT_TRUE(before.data.series.empty());
  EXPECT_EQ(before.data.simulation_length, -2.0);
}

TEST(ReadSeries, ReportsTheLineThatStopsIt) {
  const struct {
    std::string content;
    std::int64_t line;
    std::string what;
  } rows[] = {
      {"0 1 2\n1 1\n", 2, "fewer numbers than the time and 2 stress values"},
      {"0 1 2\n1 1 x\n", 2, "cannot read stress value 2 'x'"},
      {"\n #0 1\n", 2, "cannot read the time '#0'"},
      {"0 1\n1 1e39\n", 2, "beyond the single-precision range"},
      {"0 1 -x\n", 1, "cannot read the fields of the first line"},
      {"0 1\n9 x\n", 2, "cannot read stress value 1"},  // lines past the window are read too
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content, 2, TimeWindow{0.0, 5.0});
    ASSERT_FALSE(o.ok) << row.content;
    EXPECT_EQ(o.error.line, row.line) << row.content;
    EXPECT_NE(o.error.what.find(row.what), std::string::npos) << o.error.what;
  }
}

}  // namespace
}  // namespace skaldur::driver
