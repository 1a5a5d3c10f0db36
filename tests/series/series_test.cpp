#include "series/series.hpp"

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

namespace skaldur::series {
namespace {

struct Outcome {
  bool ok = false;
  Record record;
  ReadError error;
  Layout layout;  // as offered to the chooser; columns 0 when never asked
};

// Reads `content` choosing `columns`, or failing with `refusal` when it is set.
Outcome read(const std::string& content, std::vector<int> columns, TimeWindow window = {},
             const ReadTuning& tuning = {}, const std::string& refusal = {}) {
  skaldur::testing::TempDir dir;
  const std::string path = dir.write("series", content);
  const int fd = ::open(path.c_str(), O_RDONLY);
  textio::LineReader lines(fd);
  Outcome o;
  auto result = read_columns(
      lines, window,
      [&](const Layout& layout) -> textio::Result<std::vector<int>, std::string> {
        o.layout = layout;
        if (!refusal.empty()) return textio::fail(refusal);
        return columns;
      },
      tuning);
  ::close(fd);
  o.ok = result.ok();
  if (o.ok) o.record = std::move(result).value();
  if (!o.ok) o.error = result.error();
  return o;
}

// The rules applied one line at a time, the plainest way: the reference the
// stretch-wise reading must agree with. One column; the error line only.
Outcome reference(const std::string& content, int column, TimeWindow window) {
  Outcome o;
  std::vector<float> series;
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
    if (series.empty()) {
      const std::size_t fields = textio::LINFLD(line)->size();
      per_line = fields > 2 ? fields - 1 : 1;
      start_time = line_time;
      if ((values = numbers(line)).size() <= per_line) return fail();
    }
    const float stress = static_cast<float>(values[static_cast<std::size_t>(column) - 1]);
    if (std::isinf(stress)) return fail();
    series.push_back(stress);
  }
  o.ok = true;
  if (!series.empty()) o.record.columns = {series};
  o.record.n_steps = static_cast<std::int64_t>(series.size());
  o.record.simulation_length = line_time - start_time;
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

// Each column of a several-column reading is what the line-by-line reference
// reads for that column alone, whatever the stretches and threads.
TEST(read_columns, StretchesThreadsAndSeveralColumnsChangeNothing) {
  std::mt19937 rng(4242);
  const TimeWindow windows[] = {{}, {0.0, 1.0e30}, {10.0, 400.0}, {-1.0, 60.5}};
  const std::vector<int> choices[] = {{2}, {3}, {3, 2, 3}};
  for (int round = 0; round < 30; ++round) {
    const std::string record = random_record(rng, 3000);
    const TimeWindow window = windows[round % 4];
    const std::vector<int>& chosen = choices[round % 3];
    std::vector<Outcome> expected;
    for (const int column : chosen)
      expected.push_back(reference(record, column, window));
    for (const ReadTuning tuning :
         {ReadTuning{0, false}, ReadTuning{10002, true}, ReadTuning{10037, true}, ReadTuning{}}) {
      const Outcome got = read(record, chosen, window, tuning);
      ASSERT_EQ(got.ok, expected[0].ok) << round << " " << tuning.chunk_bytes;
      if (!expected[0].ok) {
        EXPECT_EQ(got.error.line, expected[0].error.line) << round << " " << tuning.chunk_bytes;
        continue;
      }
      EXPECT_EQ(got.record.n_steps, expected[0].record.n_steps) << round;
      EXPECT_EQ(got.record.simulation_length, expected[0].record.simulation_length) << round;
      if (expected[0].record.n_steps == 0) continue;
      ASSERT_EQ(got.record.columns.size(), chosen.size()) << round;
      for (std::size_t i = 0; i < chosen.size(); ++i)
        EXPECT_EQ(got.record.columns[i], expected[i].record.columns[0]) << round << " " << i;
    }
  }
}

// Comments and blank lines are skipped, a line that is neither is read;
// values are held in single precision; times need not increase; the
// simulation length runs from the first accepted time to the last time read.
TEST(read_columns, Rows) {
  const std::string three = "# time stress\n0.0 10.0 5.0\n1.0 12.0 4.0\n2.0 8.0 6.0\n";
  const struct {
    std::string content;
    int column;
    TimeWindow window;
    std::vector<float> series;
    double start;
    double length;
    int columns_found;
  } rows[] = {
      {three, 3, {}, {5.0f, 4.0f, 6.0f}, 0.0, 2.0, 3},
      {"$ a\n# b\n! c\n' d\n\n     \n-2 99\n-1 98\n0.5 1\n# later\n1,2\n2, 3 junk\n",
       2,
       {0.0, 1e30},
       {1.0f, 2.0f, 3.0f},
       0.5,
       1.5,
       2},
      {"0 123456.789\n1 -3.5E+02\n2 1.25E-3\n", 2, {}, {123456.789f, -350.0f, 1.25e-3f}, 0, 2, 2},
      {"0 9\n1 1\n0.5 9\n3 2\n2 3\n6 9\n4 9\n", 2, {1.0, 5.0}, {1.0f, 2.0f, 3.0f}, 1.0, 5.0, 2},
      {"# only a comment\n", 2, {}, {}, 0.0, 0.0, 0},
      {"-3 1\n-2 1\n", 2, {}, {}, 0.0, -2.0, 0},
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content, {row.column}, row.window);
    ASSERT_TRUE(o.ok) << row.content << o.error.what;
    EXPECT_EQ(o.record.columns.empty() ? std::vector<float>{} : o.record.columns[0], row.series)
        << row.content;
    EXPECT_EQ(o.record.start_time, row.start) << row.content;
    EXPECT_EQ(o.record.simulation_length, row.length) << row.content;
    EXPECT_EQ(o.layout.columns, row.columns_found) << row.content;
  }
}

// The last comment line before the first accepted line names the columns when
// it has one word per field.
TEST(read_columns, HeaderNames) {
  using Names = std::vector<std::string>;
  const struct {
    std::string content;
    Names names;
  } rows[] = {
      {"# time  a b\n0 1 2\n", {"time", "a", "b"}},
      {"#time a b\n\n$ t  x   y \n-1 0 0\n0 1 2\n", {"t", "x", "y"}},  // after the window's start
      {"# t x y\n# t x\n0 1 2\n", {}},                                 // the last one counts
      {"0 1 2\n# t x y\n1 2 3\n", {}},                                 // only those before
      {"# t\tx y\n0 1 2\n", {}},  // the blank separates, as in the data
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content, {2}, {0.0, 1e30});
    ASSERT_TRUE(o.ok) << row.content << o.error.what;
    EXPECT_EQ(o.layout.names, row.names) << row.content;
  }
}

// Where and why the reading stops.
TEST(read_columns, Refusals) {
  const struct {
    std::string content;
    std::vector<int> columns;
    std::string refusal;
    std::int64_t line;
    std::string what;
  } rows[] = {
      {"# h\n0 1\n1\n",
       {2},
       "",
       3,
       "the line holds fewer numbers than the time and 1 stress value"},
      {"0 1 2\n1 2 x\n", {2}, "", 2, "cannot read stress value 2 'x' as a number"},
      {"0 1 2\n1 2 1e39\n", {2, 3}, "", 2, "the stress of column 3 is beyond the single-precision"},
      {"\n0 1 2\n", {2}, "no thanks", 2, "no thanks"},
      {"0 1 2\n", {2, 4}, "", 1, "column 4 is not one of the stress columns 2 to 3"},
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content, row.columns, {}, {}, row.refusal);
    ASSERT_FALSE(o.ok) << row.content;
    EXPECT_EQ(o.error.line, row.line) << row.content;
    EXPECT_EQ(o.error.what.substr(0, row.what.size()), row.what) << row.content;
  }
}

}  // namespace
}  // namespace skaldur::series
