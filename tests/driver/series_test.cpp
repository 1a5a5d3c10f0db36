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
  double line_time = 0.0, start_time = 0.0;
  std::int64_t number = 0;
  // The time and the stress values of a line; fewer when one cannot be read.
  const auto numbers = [&](const std::string& line) {
    textio::FreeFormReader reader(line);
    std::vector<double> values;
    for (auto v = reader.real(); v && values.size() <= per_line; v = reader.real())
      values.push_back(*v);
    return values;
  };
  const auto fail = [&] {
    o.error.line = number;
    return o;
  };
  for (std::size_t from = 0; from < content.size();) {
    const std::size_t nl = std::min(content.find('\n', from), content.size());
    std::string line = content.substr(from, nl - from);
    from = nl + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = line.substr(0, 10000);
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    if (std::string("$#!'").find(line[0]) != std::string::npos) continue;
    std::vector<double> values = numbers(line);
    if (values.size() <= per_line) return fail();
    line_time = values[0];
    if (line_time < window.first_time) continue;
    if (line_time > window.last_time) break;
    if (o.data.series.empty()) {
      const std::size_t fields = textio::LINFLD(line)->size();
      per_line = fields > 2 ? fields - 1 : 1;
      o.columns_found = static_cast<int>(per_line + 1);
      start_time = line_time;
      if ((values = numbers(line)).size() <= per_line) return fail();
    }
    const float stress = static_cast<float>(values[static_cast<std::size_t>(column) - 1]);
    if (std::isinf(stress)) return fail();
    o.data.series.push_back(stress);
  }
  o.ok = true;
  o.data.simulation_length = line_time - start_time;
  return o;
}

// Random records of three columns (the second and third apart by a comma and a
// blank) with comments, blank lines, Windows line ends, long lines, times out
// of order, and now and then a line that cannot be read.
std::string random_record(std::mt19937& rng, int lines) {
  std::uniform_int_distribution<int> kind(0, 99);
  std::uniform_real_distribution<double> stress(-50.0, 50.0);
  std::string text;
  double t = -3.0;
  for (int i = 0; i < lines; ++i) {
    const int k = kind(rng);
    t += k < 5 ? -2.0 : 0.5;
    char line[128];
    std::snprintf(line, sizeof line, "%.2f %.3f, %.4E", t, stress(rng), stress(rng));
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

// Comments and blank lines are skipped, a line that is neither is read;
// values are held in single precision; times need not increase; the
// simulation length runs from the first accepted time to the last time read.
TEST(ReadSeries, Rows) {
  const std::string three = "# time stress\n0.0 10.0 5.0\n1.0 12.0 4.0\n2.0 8.0 6.0\n";
  const struct {
    std::string content;
    int column;
    TimeWindow window;
    std::vector<float> series;
    double length;
    int columns_found;
  } rows[] = {
      {three, 2, {}, {10.0f, 12.0f, 8.0f}, 2.0, 3},
      {three, 3, {}, {5.0f, 4.0f, 6.0f}, 2.0, 3},
      {"$ a\n# b\n! c\n' d\n\n     \n-2 99\n-1 98\n0 1\n# later\n1,2\n2, 3 junk\n",
       2,
       {0.0, 1e30},
       {1.0f, 2.0f, 3.0f},
       2.0,
       2},
      {"0 123456.789\n1 -3.5E+02\n2 1.25E-3\n", 2, {}, {123456.789f, -350.0f, 1.25e-3f}, 2.0, 2},
      {"0 9\n1 1\n0.5 9\n3 2\n2 3\n6 9\n4 9\n", 2, {1.0, 5.0}, {1.0f, 2.0f, 3.0f}, 5.0, 2},
      {"# only a comment\n", 2, {}, {}, 0.0, 0},
      {"-3 1\n-2 1\n", 2, {}, {}, -2.0, 0},
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content, row.column, row.window);
    ASSERT_TRUE(o.ok) << row.content << o.error.what;
    EXPECT_EQ(o.data.series, row.series) << row.content;
    EXPECT_EQ(o.data.simulation_length, row.length) << row.content;
    EXPECT_EQ(o.columns_found, row.columns_found) << row.content;
  }
}

}  // namespace
}  // namespace skaldur::driver
