#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "textio/line_error.hpp"
#include "textio/lines.hpp"
#include "textio/result.hpp"

namespace skaldur::series {

// The lines of a stress record that are kept: from the first line whose time
// is at least `first_time`, up to the first line whose time is above
// `last_time`, which ends the reading.
struct TimeWindow {
  double first_time = 0.0;
  double last_time = 1.0e30;
};

// How the lines after the first accepted one are read: in stretches of about
// `chunk_bytes` (at least one line width), two at a time on two threads when
// `two_threads` is set and the machine has two cores. The results never
// depend on these.
struct ReadTuning {
  std::size_t chunk_bytes = std::size_t{1} << 20;
  bool two_threads = true;
};

// What the first accepted data line shows: the number of its fields (the time
// included), and the names of the columns when the header gives them. The
// last comment line before that line, split into blank-separated words after
// its comment character, names the columns when it holds as many words as the
// data line holds fields (names[0] names the time); `names` is empty
// otherwise.
struct Layout {
  int columns = 0;
  std::vector<std::string> names;
};

// Called once, for the first accepted line: returns the columns to read (each
// 2 ... layout.columns, in the order wanted; repeats allowed), or a message
// that ends the reading as a textio::LineError on that line.
using ColumnChooser = std::function<textio::Result<std::vector<int>, std::string>(const Layout&)>;

// The chosen columns of the accepted lines, in file order.
struct Record {
  std::vector<std::vector<float>> columns;  // one per chosen column; none when no line was accepted
  std::int64_t n_steps = 0;                 // accepted lines (== each column's size)
  double start_time = 0.0;                  // time of the first accepted line (0 without one)
  double simulation_length = 0.0;           // time of the last data line read - start_time
};

// Reads a stress record in one pass. Comment lines (first character '$', '#',
// '!' or an apostrophe) and lines of blanks are skipped; every other line
// holds the time and the stress values in free form, through the reader's
// line width. Until the first accepted line each line must hold the time and
// one stress value; that line is split into its blank-separated fields to
// count the columns, and every later line must hold as many values. A chosen
// stress beyond the single-precision range, more than 2^31 - 1 accepted lines
// or a read error of the file stop the reading with a textio::LineError.
[[nodiscard]] textio::Result<Record, textio::LineError> read_columns(textio::LineReader& lines,
                                                                     const TimeWindow& window,
                                                                     const ColumnChooser& choose,
                                                                     const ReadTuning& tuning = {});

}  // namespace skaldur::series
