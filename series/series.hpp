#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "textio/line_error.hpp"
#include "textio/lines.hpp"
#include "textio/result.hpp"

namespace skaldur::series {

// A stress record is read in two steps: open_record reads up to and
// including the first accepted data line and shows the columns it holds; the
// caller picks the columns to read; read_record reads them.
//
//   auto opening = open_record(lines, window);          // errors before the first accepted line
//   ... opening->layout() ...                           // the caller's choice
//   auto record = read_record(lines, std::move(opening).value(), columns);

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
// included; 0 when no line lies in the window), and the names of the columns
// when the header gives them. The last comment line before that line, split
// into blank-separated words after its comment character, names the columns
// when it holds as many words as the data line holds fields (names[0] names
// the time); `names` is empty otherwise.
struct Layout {
  int columns = 0;
  std::vector<std::string> names;
};

// The chosen columns of the accepted lines, in file order.
struct Record {
  std::vector<std::vector<float>> columns;  // one per chosen column; none when no line was accepted
  std::int64_t n_steps = 0;                 // accepted lines (== each column's size)
  double start_time = 0.0;                  // time of the first accepted line (0 without one)
  double simulation_length = 0.0;           // time of the last data line read - start_time
};

class Opening;

// Reads a stress record up to and including its first accepted line.
// Comment lines (first character '$', '#', '!' or an apostrophe) and lines of
// blanks are skipped; every other line holds the time and the stress values
// in free form, through the reader's line width. Until the first accepted
// line each line must hold the time and one stress value; that line is split
// into its blank-separated fields to count the columns, and must hold as many
// values. A line that breaks these rules or a read error of the file stop the
// reading with a textio::LineError. The opening tells whether a line was
// accepted (Layout::columns above 0) and holds that line for read_record.
[[nodiscard]] textio::Result<Opening, textio::LineError> open_record(textio::LineReader& lines,
                                                                     const TimeWindow& window);

// Reads the chosen `columns` (each 2 ... layout().columns, in the order
// wanted; repeats allowed) of the accepted lines, the first one included,
// from the reader `opening` came from, untouched since. When no line was
// accepted there is nothing to read and `columns` is not looked at. Every
// later line must hold as many values as the first accepted one. No column,
// a column out of range, a cut of the first accepted line inside a chosen
// value and a chosen stress of that line beyond the single-precision range
// stop the reading with a textio::LineError on that line; so do, on their
// own line, a later line that breaks the rules, a chosen stress beyond the
// single-precision range, more than 2^31 - 1 accepted lines and a read error.
// When the reader feeds a fingerprint (textio::LineReader::feed, set before
// open_record), every byte read is added to it in file order, whatever the
// stretches and threads: it covers the file from its first byte on, through
// the end of the reading and, past a window's end, through as much of the
// rest as the stretches took (a reader wanting the whole file adds the rest,
// see textio::add_rest_of_file).
[[nodiscard]] textio::Result<Record, textio::LineError> read_record(textio::LineReader& lines,
                                                                    Opening&& opening,
                                                                    std::span<const int> columns,
                                                                    const ReadTuning& tuning = {});

// A stress record read up to and including its first accepted line: what it
// shows, and where read_record goes on. Made by open_record only.
class Opening {
 public:
  // The columns of the first accepted line; columns 0 when no line was accepted.
  [[nodiscard]] const Layout& layout() const { return layout_; }

 private:
  friend textio::Result<Opening, textio::LineError> open_record(textio::LineReader&,
                                                                const TimeWindow&);
  friend textio::Result<Record, textio::LineError> read_record(textio::LineReader&, Opening&&,
                                                               std::span<const int>,
                                                               const ReadTuning&);
  Opening() = default;

  Layout layout_;
  TimeWindow window_;
  std::int64_t line_number_ = 0;  // of the first accepted line
  std::string line_;              // that line as read
  char after_cut_ = '\n';         // what its cut left out (see textio::after_cut)
  std::vector<double> values_;    // its time and stress values
  double last_time_ = 0.0;        // the time of the last data line read (0 without one)
};

}  // namespace skaldur::series
