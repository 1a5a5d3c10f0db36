#include "driver/series.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"
#include "textio/fields.hpp"
#include "textio/freeform.hpp"

namespace skaldur::driver {
namespace {

struct Outcome {
  bool ok = false;
  SeriesData data;
  SeriesError error;
  int columns_found = 0;  // 0 when the column was never asked for
};

Outcome read(const std::string& content, int column = 2, TimeWindow window = {},
             const ReadTuning& tuning = {}) {
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
      outcome.data, outcome.error, tuning);
  ::close(fd);
  return outcome;
}

// The rules applied one line at a time, the plainest way: the reference the
// stretch-wise reading must agree with.
Outcome reference(const std::string& content, int column, TimeWindow window) {
  Outcome o;
  std::size_t per_line = 1;
  double line_time = 0.0;
  double start_time = 0.0;
  std::int64_t number = 0;
  std::size_t from = 0;
  while (from < content.size()) {
    std::size_t nl = content.find('\n', from);
    if (nl == std::string::npos) nl = content.size();
    std::string line = content.substr(from, nl - from);
    from = nl + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = line.substr(0, 10000);
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    if (std::string("$#!'").find(line[0]) != std::string::npos) continue;
    textio::FreeFormReader reader(line);
    std::vector<double> values;
    for (std::size_t i = 0; i <= per_line; ++i) {
      const auto v = reader.real();
      if (!v) {
        o.error.line = number;
        return o;
      }
      values.push_back(*v);
    }
    line_time = values[0];
    if (line_time < window.first_time) continue;
    if (line_time > window.last_time) break;
    if (o.data.series.empty()) {
      const std::size_t fields = textio::LINFLD(line)->size();
      per_line = fields > 2 ? fields - 1 : 1;
      o.columns_found = static_cast<int>(per_line + 1);
      textio::FreeFormReader again(line);
      values.clear();
      for (std::size_t i = 0; i <= per_line; ++i) {
        const auto v = again.real();
        if (!v) {
          o.error.line = number;
          return o;
        }
        values.push_back(*v);
      }
      start_time = line_time;
    }
    const float stress = static_cast<float>(values[static_cast<std::size_t>(column) - 1]);
    if (std::isinf(stress)) {
      o.error.line = number;
      return o;
    }
    o.data.series.push_back(stress);
  }
  o.ok = true;
  o.data.simulation_length = line_time - start_time;
  return o;
}

// Random records with comments, blank lines, Windows line ends, long lines,
// times out of order, and now and then a line that cannot be read.
std::string random_record(std::mt19937& rng, int lines) {
  std::uniform_int_distribution<int> kind(0, 99);
  std::uniform_real_distribution<double> stress(-50.0, 50.0);
  std::string text;
  double t = -3.0;
  for (int i = 0; i < lines; ++i) {
    const int k = kind(rng);
    t += k < 5 ? -2.0 : 0.5;
    char line[128];
    std::snprintf(line, sizeof line, "%.2f %.3f,%.4E", t, stress(rng), stress(rng));
    if (k < 3) {
      text += "# comment\n";
    } else if (k < 5) {
      text += "   \n";
    } else if (k < 7) {
      text += std::string(line) + "\r\n";
    } else if (k == 7) {
      text += std::string(line) + std::string(10000, ' ') + "junk beyond the width\n";
    } else if (k == 8 && kind(rng) < 3) {
      text += std::string(line) + " x\n";  // fine: the extra value is never read
      text += "1.0 abc\n";                 // not a number
    } else {
      text += std::string(line) + "\n";
    }
  }
  return text;
}

TEST(ReadSeries, StretchesAndThreadsChangeNothing) {
  std::mt19937 rng(4242);
  const TimeWindow windows[] = {{}, {0.0, 1.0e30}, {10.0, 400.0}, {-1.0, 60.5}};
  for (int round = 0; round < 40; ++round) {
    const std::string record = random_record(rng, 3000);
    const TimeWindow window = windows[round % 4];
    const int column = 2 + round % 2;
    const Outcome expected = reference(record, column, window);
    for (const ReadTuning tuning :
         {ReadTuning{0, false}, ReadTuning{10002, true}, ReadTuning{10037, true},
          ReadTuning{65536, true}, ReadTuning{}}) {
      const Outcome got = read(record, column, window, tuning);
      ASSERT_EQ(got.ok, expected.ok) << round << " " << tuning.chunk_bytes;
      EXPECT_EQ(got.data.series, expected.data.series) << round << " " << tuning.chunk_bytes;
      if (expected.ok) {
        EXPECT_EQ(got.data.simulation_length, expected.data.simulation_length) << round;
      } else {
        EXPECT_EQ(got.error.line, expected.error.line) << round << " " << tuning.chunk_bytes;
      }
    }
  }
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
