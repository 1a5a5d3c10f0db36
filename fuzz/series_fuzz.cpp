// Fuzz target: the time-series reader on arbitrary file bytes. The first byte
// picks the column among those found; the second picks the time window,
// whether lines are read through a narrow width and a small buffer (so that
// the cut of long lines is reached with short inputs), whether the lines after
// the first accepted one are read in the smallest stretches, two at a time
// (so that short inputs cross many stretch boundaries), and whether the file
// shrinks or grows while it is read. The rest is the file.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/support.hpp"
#include "series/series.hpp"
#include "textio/lines.hpp"

namespace {

using skaldur::fuzz::check;
using namespace skaldur;

constexpr std::array<series::TimeWindow, 4> kWindows = {{
    {0.0, 1.0e30},
    {-1.0e30, 1.0e30},
    {1.0, 5.0},
    {0.0, 0.0},
}};

// One reading of the input, as the input's first two bytes set it up.
struct Reading {
  std::optional<textio::Result<series::Record, textio::LineError>> result;
  bool asked = false;  // open_record accepted a line: the columns were chosen
  int columns_found = 0;
  std::vector<int> chosen;
};

// Picks one or two columns of the layout, the second one from the high bits.
std::vector<int> choose(const series::Layout& layout, unsigned pick) {
  check(layout.columns >= 2, "fewer than two columns offered");
  check(layout.names.empty() || layout.names.size() == static_cast<std::size_t>(layout.columns),
        "column names that do not name every column");
  const auto span = static_cast<unsigned>(layout.columns - 1);
  std::vector<int> chosen = {2 + static_cast<int>(pick % span)};
  if ((pick & 0x80U) != 0) chosen.push_back(2 + static_cast<int>((pick >> 3) % span));
  return chosen;
}

Reading read_input(std::string_view bytes, unsigned pick, unsigned change,
                   const series::TimeWindow& window, std::size_t width, std::size_t block,
                   const series::ReadTuning& tuning) {
  fuzz::MemoryFile file(bytes);
  textio::LineReader lines(file.fd(), width, block);
  Reading r;
  auto opening = series::open_record(lines, window);
  if (!opening) {
    r.result.emplace(textio::fail(opening.error()));
    return r;
  }
  r.columns_found = opening->layout().columns;
  r.asked = r.columns_found > 0;
  if (r.asked) {
    if (change == 1 || change == 3) {
      const auto cut_to = static_cast<off_t>(change == 1 ? bytes.size() / 2 : 0);
      check(::ftruncate(file.fd(), cut_to) == 0, "cutting the in-memory file failed");
    } else if (change == 2) {
      check(::pwrite(file.fd(), bytes.data(), bytes.size(), static_cast<off_t>(bytes.size())) ==
                static_cast<ssize_t>(bytes.size()),
            "growing the in-memory file failed");
    }
    r.chosen = choose(opening->layout(), pick);
  }
  r.result.emplace(series::read_record(lines, std::move(opening).value(), r.chosen, tuning));
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned pick = data[0];
  const unsigned shape = data[1];
  const std::string_view bytes = fuzz::as_text(data + 2, size - 2);

  const series::TimeWindow window = kWindows[shape % kWindows.size()];
  const std::size_t width = (shape & 4U) != 0 ? 16 : textio::kLineWidth;
  // A block far below the program's 1 MB keeps the runs fast; the lines come
  // out the same.
  const std::size_t block = (shape & 8U) != 0 ? 64 : std::size_t{1} << 14;
  // Stretches of the least size the reader takes (one line width), two at a
  // time: the reading must be that of one stretch on one thread.
  const bool small_stretches = (shape & 16U) != 0;
  // Between the two steps: the file as it is, cut to half its size or
  // to nothing, or written once more behind itself.
  const unsigned change = (shape >> 5) & 3U;

  const Reading reading =
      read_input(bytes, pick, change, window, width, block,
                 small_stretches ? series::ReadTuning{0, true} : series::ReadTuning{});
  const auto& result = *reading.result;
  const bool asked = reading.asked;
  const std::vector<int>& chosen = reading.chosen;
  if (small_stretches) {
    const Reading whole = read_input(bytes, pick, change, window, width, block,
                                     series::ReadTuning{std::size_t{1} << 20, false});
    const auto& expected = *whole.result;
    check(result.ok() == expected.ok(), "small stretches change whether the reading fails");
    if (!result) {
      check(result.error().line == expected.error().line &&
                result.error().what == expected.error().what &&
                result.error().text == expected.error().text,
            "small stretches change the failure");
    } else {
      check(result->columns == expected->columns && result->n_steps == expected->n_steps &&
                result->simulation_length == expected->simulation_length,
            "small stretches change the values read");
    }
  }

  if (!result) {
    const textio::LineError& error = result.error();
    check(!error.what.empty(), "a failed reading without a reason");
    check(error.line >= 1, "a failed reading without its line");
    check(error.text.size() <= width, "the failed line is longer than the line width");
    return 0;
  }
  const series::Record& record = *result;
  // A file written twice holds twice the line feeds, and the end of the first
  // writing, once read, ends a line.
  const auto line_feeds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  const std::size_t most_lines = change == 2 ? 2 * line_feeds + 2 : line_feeds + 1;
  check(static_cast<std::size_t>(record.n_steps) <= most_lines, "more values than lines");
  check(asked == (record.n_steps > 0), "the columns asked for without a value read");
  check(record.columns.size() == (asked ? chosen.size() : 0), "not one column per choice");
  check(reading.columns_found <= static_cast<int>(width), "more columns than characters in a line");
  for (const auto& column : record.columns) {
    check(column.size() == static_cast<std::size_t>(record.n_steps), "columns of unequal length");
    for (float value : column)
      check(std::isfinite(value), "a stress that is not finite");
  }
  for (std::size_t i = 1; i < chosen.size() && asked; ++i) {
    if (chosen[i] == chosen[0])
      check(record.columns[i] == record.columns[0], "a repeated column differs");
  }
  return 0;
}
