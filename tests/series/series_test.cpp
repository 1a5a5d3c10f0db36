#include "series/series.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"
#include "textio/fields.hpp"
#include "textio/fingerprint.hpp"
#include "textio/freeform.hpp"

namespace skaldur::series {
namespace {

struct Outcome {
  bool ok = false;
  Record record;
  textio::LineError error;
  Layout layout;  // as open_record found it; columns 0 when it failed or accepted no line
  std::uint64_t fingerprint = 0;  // of the bytes the reading fed it
  std::size_t fed = 0;            // their number
};

// Reads the file `fd` in two steps for `columns`, calling `between` between them.
Outcome read_fd(int fd, const std::vector<int>& columns, TimeWindow window = {},
                const ReadTuning& tuning = {}, std::size_t block = std::size_t{1} << 20,
                const std::function<void()>& between = {}) {
  textio::LineReader lines(fd, textio::kLineWidth, block);
  textio::Fingerprint fingerprint;
  lines.feed(&fingerprint);
  Outcome o;
  auto opening = open_record(lines, window);
  if (opening) o.layout = opening->layout();
  if (opening && between) between();
  auto result = opening ? read_record(lines, std::move(opening).value(), columns, tuning)
                        : textio::Result<Record, textio::LineError>(textio::fail(opening.error()));
  o.ok = result.ok();
  if (o.ok) o.record = std::move(result).value();
  if (!o.ok) o.error = result.error();
  o.fingerprint = fingerprint.value();
  o.fed = fingerprint.size();
  return o;
}

// Reads `content` choosing `columns`.
Outcome read(const std::string& content, const std::vector<int>& columns, TimeWindow window = {},
             const ReadTuning& tuning = {}, std::size_t block = std::size_t{1} << 20) {
  skaldur::testing::TempDir dir;
  const std::string path = dir.write("series", content);
  const int fd = ::open(path.c_str(), O_RDONLY);
  Outcome o = read_fd(fd, columns, window, tuning, block);
  ::close(fd);
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
      text += std::string(line) + std::string(25000, ' ') + "junk beyond the width\n";
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
// reads for that column alone, whatever the stretches and threads (a 16 KiB
// line-reader block leaves them most of the file); the bytes fed to the
// fingerprint are those of the file from its start, in order.
TEST(read_record, StretchesThreadsAndSeveralColumnsChangeNothing) {
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
      const Outcome got = read(record, chosen, window, tuning, std::size_t{1} << 14);
      ASSERT_EQ(got.ok, expected[0].ok) << round << " " << tuning.chunk_bytes;
      EXPECT_EQ(got.fingerprint,
                textio::fingerprint_of(std::string_view(record).substr(0, got.fed)))
          << round << " " << tuning.chunk_bytes;
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
// The last comment line before the first accepted line names the columns when
// it has one word per field.
TEST(read_record, CommentsWindowsAndHeaderNames) {
  const std::string mixed =
      "$ a\n# b\n! c\n' d\n\n     \n-2 99\n-1 98\n0.5 1\n# later\n1,2\n2, 3 junk\n";
  const struct {
    std::string content;
    int column;
    TimeWindow window;
    std::vector<float> series;
    double start;
    double length;
    int columns_found;
    std::vector<std::string> names = {};
  } rows[] = {
      {mixed, 2, {0.0, 1e30}, {1.0f, 2.0f, 3.0f}, 0.5, 1.5, 2},
      {"0 123456.789\n1 -3.5E+02\n2 1.25E-3\n", 2, {}, {123456.789f, -350.0f, 1.25e-3f}, 0, 2, 2},
      {"0,1,2\n1,3,4\n", 2, {}, {1.0f, 3.0f}, 0, 1, 2},  // one field: a comma is no blank
      {"# only a comment\n", 9, {}, {}, 0.0, 0.0, 0},    // no line: the column is not looked at
      {"-3 1\n-2 1\n", 2, {}, {}, 0.0, -2.0, 0},
      {"# time  a b\n0 1 2\n", 2, {}, {1.0f}, 0, 0, 3, {"time", "a", "b"}},
      // after the window's start; the last one counts; only those before
      {"#time a b\n\n$ t  x   y \n-1 0 0\n0 1 2\n", 2, {}, {1.0f}, 0, 0, 3, {"t", "x", "y"}},
      {"# t x y\n# t x\n0 1 2\n", 2, {}, {1.0f}, 0, 0, 3},
      {"0 1 2\n# t x y\n1 2 3\n", 2, {}, {1.0f, 2.0f}, 0, 1, 3},
      {"# t\tx y\n0 1 2\n", 2, {}, {1.0f}, 0, 0, 3},  // the blank separates, as in the data
      {"\xEF\xBB\xBF# t x y\n0 1 2\n", 2, {}, {1.0f}, 0, 0, 3, {"t", "x", "y"}},  // BOM skipped
  };
  for (const auto& row : rows) {
    const Outcome o = read(row.content, {row.column}, row.window);
    ASSERT_TRUE(o.ok) << row.content << o.error.what;
    EXPECT_EQ(o.record.columns.empty() ? std::vector<float>{} : o.record.columns[0], row.series)
        << row.content;
    EXPECT_EQ(o.record.start_time, row.start) << row.content;
    EXPECT_EQ(o.record.simulation_length, row.length) << row.content;
    EXPECT_EQ(o.layout.columns, row.columns_found) << row.content;
    EXPECT_EQ(o.layout.names, row.names) << row.content;
  }
}

// Where and why the reading stops, before the columns are chosen (open_record) or after
// (read_record). A line longer than the 10 000-character limit is read through its first 10 000
// characters. When the cut divides a chosen stress of an accepted line, its front would be taken
// for the number: the reading stops there. A cut through the time leaves too few values, and a line
// with too few says that it was cut. Whatever the blocks and stretches the line is read in.
TEST(read_record, StopsAndCutLines) {
  // The time (6 characters), 999 zeros of 10 characters and a stress of about
  // 5000 whose cut leaves " 500".
  std::string wide;
  for (int t = 0; t < 4; ++t) {
    char time[16];
    std::snprintf(time, sizeof time, "%6.1f", t * 1.0);
    wide += time;
    for (int c = 0; c < 999; ++c)
      wide += "    0.0000";
    wide += t % 2 == 0 ? " 5000.0000\n" : " 4000.0000\n";
  }
  const std::string blanks(9998, ' ');
  const struct {
    std::string content;
    std::vector<int> columns;
    TimeWindow window;
    std::int64_t line;  // 0: read, n_steps lines
    std::string what;
    bool before_choice = false;
  } rows[] = {
      {"# t\n-1 x\n0 1\n", {2}, {}, 2, "cannot read stress value 1 'x'", true},
      {"0 1 x\n1 2 3\n", {2}, {}, 1, "cannot read stress value 2 'x'", true},  // 3 fields
      {"0 1 2\n", {}, {}, 1, "no column was chosen"},
      {wide, {1001}, {}, 1, "cut at its 10000-character limit inside the value of column 1001"},
      {wide, {2, 1001}, {}, 1, "inside the value of column 1001"},
      {wide, {2}, {}, 0, "4"},  // the divided value is not used
      {wide, {2}, {1.0, 2.0}, 0, "2"},
      {"0 1\n" + blanks + "1.5 3\n", {2}, {}, 2, "and 1 stress value (the line is cut at its"},
      // The stress of an early line is not needed; of an accepted line it is.
      {"0" + blanks + "12.5\n1 5\n2 6\n", {2}, {1.0, 1e30}, 0, "2"},
      {"0 5\n1" + blanks + "12.5\n2 6\n", {2}, {}, 2, "inside the value of column 2"},
      // Fewer values than the first line: the message says that the line was cut.
      {"0 1 2\n1" + blanks + " 2 3\n", {2}, {}, 2, "and 2 stress values (the line is cut at"},
      // Values beyond the single-precision range and columns beyond the line's.
      {"0 1 2\n1 2 1e39\n", {2, 3}, {}, 2, "the stress of column 3 is beyond the single-precision"},
      {"0 1 2\n", {2, 4}, {}, 1, "column 4 is not one of the stress columns 2 to 3"},
      // A cut after a value or inside a blank divides nothing.
      {"0 1\n1 " + std::string(9996, ' ') + "2 3\n2 5\n", {2}, {}, 0, "3"},
  };
  for (const auto& row : rows) {
    for (const auto& [tuning, block] : {std::pair{ReadTuning{}, std::size_t{1} << 20},
                                        std::pair{ReadTuning{0, true}, std::size_t{64}},
                                        std::pair{ReadTuning{0, false}, std::size_t{10003}}}) {
      const Outcome o = read(row.content, row.columns, row.window, tuning, block);
      const std::string at = row.content.substr(0, 20) + " block " + std::to_string(block);
      if (row.line == 0) {
        ASSERT_TRUE(o.ok) << at << ": " << o.error.what;
        EXPECT_EQ(std::to_string(o.record.n_steps), row.what) << at;
        continue;
      }
      ASSERT_FALSE(o.ok) << at;
      EXPECT_EQ(o.layout.columns == 0, row.before_choice) << at;
      EXPECT_EQ(o.error.line, row.line) << at;
      EXPECT_NE(o.error.what.find(row.what), std::string::npos) << at << ": " << o.error.what;
      EXPECT_LE(o.error.text.size(), textio::kLineWidth) << at;
    }
  }
}

// A line that never ends (NUL bytes as from /dev/zero) stops the reading once
// its head cannot be a data line, and a reading whose window has ended reads
// no further: neither waits for the line end.
TEST(read_record, EndlessLinesEndTheReading) {
  const struct {
    std::string head;  // a printf format
    TimeWindow window;
    std::int64_t line;  // 0: read, n_steps lines
    std::int64_t steps;
  } rows[] = {
      {"0 1\\n1 2\\n", {}, 3, 0},
      {"0 1\\n1 2\\n9 3\\n", {0.0, 5.0}, 0, 2},
      {"0 1\\n", {0.0, -1.0}, 0, 0},
  };
  for (const auto& row : rows) {
    for (const ReadTuning tuning : {ReadTuning{}, ReadTuning{0, true}, ReadTuning{0, false}}) {
      FILE* pipe = ::popen(("printf '" + row.head + "'; exec cat /dev/zero").c_str(), "r");
      const Outcome o = read_fd(::fileno(pipe), {2}, row.window, tuning);
      ::pclose(pipe);
      ASSERT_EQ(o.ok, row.line == 0) << row.head << tuning.chunk_bytes << o.error.what;
      EXPECT_EQ(o.ok ? o.record.n_steps : o.error.line, o.ok ? row.steps : row.line) << row.head;
      EXPECT_TRUE(o.ok || o.error.what.starts_with("cannot read the time")) << o.error.what;
    }
  }
}

// A file that changes size while it is read is read as it is found; room is
// set aside for what the rest of the file and the window can hold, never for
// more (a 100 GB sparse file with a short window, a file cut short). When the
// system refuses the second reading thread, the stretches are read one after
// the other (a default thread stack larger than the address space makes every
// new thread fail).
TEST(read_record, FileSizeChangesAndRoom) {
  constexpr int kLines = 1 << 17;  // 2 MiB of 16-byte lines
  std::string record;
  for (int i = 0; i < kLines; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "%7d %7d\n", i, i % 7);
    record += line;
  }
  const struct {
    const char* name;
    off_t size_between;  // between the steps; -1: the file as written once more behind it
    off_t size_at_start;
    TimeWindow window;
    std::int64_t steps;
    bool threads_refused = false;
  } rows[] = {
      {"cut to nothing", 0, 0, {}, kLines / 2},  // the first megabyte was read already
      {"cut to 1.5 MiB", 3 << 19, 0, {}, 3 * kLines / 4},
      {"grown to twice", -1, 0, {}, 2 * kLines},
      {"sparse tail, short window", 0, off_t{100} << 30, {0.0, 100000.0}, 100001},
      {"second thread refused", 16 * kLines, 0, {}, kLines, true},
  };
  for (const auto& row : rows) {
    for (const ReadTuning tuning :
         {ReadTuning{}, ReadTuning{1 << 16, true}, ReadTuning{1 << 16, false}}) {
      skaldur::testing::TempDir dir;
      const std::string path = dir.write("series", record);
      if (row.size_at_start > 0)
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(row.size_at_start));
      pthread_attr_t saved, huge;
      if (row.threads_refused) {
        ASSERT_EQ(pthread_getattr_default_np(&saved) + pthread_attr_init(&huge), 0);
        ASSERT_EQ(pthread_attr_setstacksize(&huge, std::size_t{1} << 60), 0);
        ASSERT_EQ(pthread_setattr_default_np(&huge), 0);
      }
      const int fd = ::open(path.c_str(), O_RDONLY);
      const Outcome o = read_fd(fd, {2}, row.window, tuning, std::size_t{1} << 20, [&] {
        if (row.size_at_start > 0) return;
        if (row.size_between >= 0) {
          std::filesystem::resize_file(path, static_cast<std::uintmax_t>(row.size_between));
        } else {
          std::ofstream(path, std::ios::app | std::ios::binary) << record;
        }
      });
      ::close(fd);
      if (row.threads_refused) {
        ASSERT_EQ(pthread_setattr_default_np(&saved), 0);
        pthread_attr_destroy(&huge);
        pthread_attr_destroy(&saved);
      }
      ASSERT_TRUE(o.ok) << row.name << ": " << o.error.what;
      EXPECT_EQ(o.record.n_steps, row.steps) << row.name;
      EXPECT_LT(o.record.columns[0].capacity(), 4 * static_cast<std::size_t>(kLines)) << row.name;
    }
  }
}

}  // namespace
}  // namespace skaldur::series
