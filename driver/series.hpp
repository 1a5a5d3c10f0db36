#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "textio/lines.hpp"

namespace skaldur::driver {

// The lines of the time-series file that are kept: from the first line whose
// time is at least `first_time`, up to the first line whose time is above
// `last_time`, which ends the reading.
struct TimeWindow {
  double first_time = 0.0;
  double last_time = 1.0e30;
};

// What the reading leaves for the computation and the report.
struct SeriesData {
  std::vector<float> series;  // the chosen column of the accepted lines, in file order
  double simulation_length = 0.0;
};

// Why the reading stopped: the line (from 1) and what was wrong.
struct SeriesError {
  std::int64_t line = 0;
  std::string text;  // the line as read
  std::string what;
};

// Called once, for the first accepted line, with the number of columns found
// (the time included); returns the column to use, 2 … columns.
using ColumnChooser = std::function<int(int columns)>;

// Asks the system to back a large array with huge pages, so that filling it
// costs a few page faults instead of one per 4 KiB. Only a hint: nothing
// changes where the system does not follow it.
void prefer_huge_pages(void* data, std::size_t bytes);

// How the lines after the first accepted one are read: in stretches of about
// `chunk_bytes` (at least one line width), two at a time on two threads when
// `two_threads` is set and the machine has two cores. The results never
// depend on these.
struct ReadTuning {
  std::size_t chunk_bytes = std::size_t{1} << 20;
  bool two_threads = true;
};

// Reads the time series in one pass. Comment lines (first character '$', '#',
// '!' or an apostrophe) and lines of blanks are skipped; every other line
// holds the time and the stress values in free form. The first accepted line
// is split into its blank-separated fields to count the columns.
[[nodiscard]] bool read_series(textio::LineReader& lines, const TimeWindow& window,
                               const ColumnChooser& choose_column, SeriesData& data,
                               SeriesError& error, const ReadTuning& tuning = {});

}  // namespace skaldur::driver
