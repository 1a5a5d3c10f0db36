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

  fuzz::MemoryFile file(bytes);
  textio::LineReader lines(file.fd(), width, block);
  int calls = 0;
  int columns_found = 0;
  std::vector<int> chosen;
  const series::ColumnChooser choose =
      [&](const series::Layout& layout) -> textio::Result<std::vector<int>, std::string> {
    ++calls;
    columns_found = layout.columns;
    check(layout.columns >= 2, "fewer than two columns offered");
    check(layout.names.empty() || layout.names.size() == static_cast<std::size_t>(layout.columns),
          "column names that do not name every column");
    // One or two columns, the second one picked from the high bits.
    const auto span = static_cast<unsigned>(layout.columns - 1);
    chosen = {2 + static_cast<int>(pick % span)};
    if ((pick & 0x80U) != 0) chosen.push_back(2 + static_cast<int>((pick >> 3) % span));
    return chosen;
  };
  const auto result = series::read_columns(lines, window, choose);

  check(calls <= 1, "the columns were asked for more than once");
  if (!result) {
    const series::ReadError& error = result.error();
    check(!error.what.empty(), "a failed reading without a reason");
    check(error.line >= 1, "a failed reading without its line");
    check(error.text.size() <= width, "the failed line is longer than the line width");
    return 0;
  }
  const series::Record& record = *result;
  const auto line_count = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  check(static_cast<std::size_t>(record.n_steps) <= line_count + 1, "more values than lines");
  check((calls == 1) == (record.n_steps > 0), "the columns asked for without a value read");
  check(record.columns.size() == (calls == 1 ? chosen.size() : 0), "not one column per choice");
  check(columns_found <= static_cast<int>(width), "more columns than characters in a line");
  for (const auto& column : record.columns) {
    check(column.size() == static_cast<std::size_t>(record.n_steps), "columns of unequal length");
    for (float value : column)
      check(std::isfinite(value), "a stress that is not finite");
  }
  for (std::size_t i = 1; i < chosen.size() && calls == 1; ++i) {
    if (chosen[i] == chosen[0])
      check(record.columns[i] == record.columns[0], "a repeated column differs");
  }
  return 0;
}
