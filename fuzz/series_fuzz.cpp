// Fuzz target: the time-series reader on arbitrary file bytes. The first byte
// picks the column among those found; the second picks the time window and
// whether lines are read through a narrow width and a small buffer (so that
// the cut of long lines is reached with short inputs). The rest is the file.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/series.hpp"
#include "fuzz/support.hpp"
#include "textio/lines.hpp"

namespace {

using skaldur::fuzz::check;
using namespace skaldur;

constexpr std::array<driver::TimeWindow, 4> kWindows = {{
    {0.0, 1.0e30},
    {-1.0e30, 1.0e30},
    {1.0, 5.0},
    {0.0, 0.0},
}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned pick = data[0];
  const unsigned shape = data[1];
  const std::string_view bytes = fuzz::as_text(data + 2, size - 2);

  const driver::TimeWindow window = kWindows[shape % kWindows.size()];
  const std::size_t width = (shape & 4U) != 0 ? 16 : textio::kLineWidth;
  // A block far below the program's 1 MB keeps the runs fast; the lines come
  // out the same.
  const std::size_t block = (shape & 8U) != 0 ? 64 : std::size_t{1} << 14;

  fuzz::MemoryFile file(bytes);
  textio::LineReader lines(file.fd(), width, block);
  int calls = 0;
  int columns_found = 0;
  const driver::ColumnChooser choose = [&](int columns) {
    ++calls;
    columns_found = columns;
    check(columns >= 2, "fewer than two columns offered");
    return 2 + static_cast<int>(pick % static_cast<unsigned>(columns - 1));
  };
  driver::SeriesData series;
  driver::SeriesError error;
  const bool ok = driver::read_series(lines, window, choose, series, error);

  check(calls <= 1, "the column was asked for more than once");
  if (!ok) {
    check(!error.what.empty(), "a failed reading without a reason");
    check(error.line >= 1, "a failed reading without its line");
    check(error.text.size() <= width, "the failed line is longer than the line width");
    return 0;
  }
  const auto line_count = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  check(series.series.size() <= line_count + 1, "more values than lines");
  check((calls == 1) == !series.series.empty(), "the column asked for without a value read");
  check(columns_found <= static_cast<int>(width), "more columns than characters in a line");
  for (float value : series.series)
    check(std::isfinite(value), "a stress that is not finite");
  return 0;
}
