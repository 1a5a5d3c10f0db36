#pragma once

// Internal to the series library: front ends include series/series.hpp only.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "series/series.hpp"
#include "textio/freeform.hpp"
#include "textio/lines.hpp"
#include "textio/plain_line.hpp"

namespace skaldur::series::detail {

// The most lines a window may hold, and so the most values of a column.
inline constexpr std::size_t kMostValues =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// Of a line cut before `after` (see textio::after_cut), the index (0 the
// time) of the value the cut divides, among the time and the `count` stress
// values the line holds; npos when the cut divides none of them.
[[nodiscard]] std::size_t divided_value(std::string_view line, char after, std::size_t count);

// read_values for a line that textio::read_reals refused: reads it again
// value by value, to say in `why` what keeps it from holding the time and
// `count` stress values.
bool reread_values(std::string_view line, std::size_t count, std::vector<double>& values,
                   std::string& why);

// Reads the time and `count` stress values of a data line into `values`
// (values[0] is the time). Fills `why` when the line does not hold them.
inline bool read_values(std::string_view line, std::size_t count, std::vector<double>& values,
                        std::string& why) {
  if (values.size() != count + 1) values.resize(count + 1);
  return textio::read_reals(line, values) || reread_values(line, count, values, why);
}

// What a line is, by the rules every line of the record follows.
enum class Verdict {
  skip,    // a comment or a line of blanks
  bad,     // a data line without the values it must hold
  early,   // a data line before the window
  late,    // a data line after the window: the reading ends
  accept,  // a data line in the window
};

// The rules of the data lines. Until the first accepted line a line is read
// for the time and one stress value; that line fixes the values per line and
// the chosen columns for the rest. judge() and keep() run for every line and
// stay inline; the rest runs once or on a failure.
struct LineRules {
  TimeWindow window;
  std::size_t per_line = 1;          // stress values read from each line
  std::vector<std::size_t> columns;  // chosen, from 2 (values[column - 1])
  std::size_t first = 1;             // the index in `values` of the first chosen column
  bool several = false;              // more than one column chosen
  std::size_t width = textio::kLineWidth;
  // How the time of a plain line (see textio::read_plain_line) is read:
  // for its sign alone when that places it in the window, as it does when
  // the window starts at 0 and ends past the size of any plain time (below
  // 10^8).
  textio::FirstValue plain_time = textio::FirstValue::exact;

  // Sets plain_time for the window.
  void choose_plain_time() {
    plain_time = window.first_time == 0.0 && window.last_time >= 1.0e8 ? textio::FirstValue::sign
                                                                       : textio::FirstValue::exact;
  }

  // Judges one line, cut before `after` (see textio::after_cut); a data
  // line's values go into `values`, values[0] its time. Fills `why` for a bad
  // line. An accepted line whose cut divides the value of a chosen column is
  // bad: the front of the value would be read as the number. (A cut that
  // divides the time leaves too few values: the note on the cut says why.)
  Verdict judge(std::string_view line, char after, std::vector<double>& values,
                std::string& why) const {
    if (textio::is_comment_line(line) || textio::is_blank_line(line)) return Verdict::skip;
    if (!read_values(line, per_line, values, why)) {
      if (after != '\n') why += " (" + cut_text() + ")";
      return Verdict::bad;
    }
    const Verdict verdict = place(values[0]);
    if (verdict == Verdict::accept && after != '\n' && cut_divides(line, after, why)) {
      return Verdict::bad;
    }
    return verdict;
  }

  // Where a data line of this time lies: early, late or accept.
  [[nodiscard]] Verdict place(double time) const {
    if (time < window.first_time) return Verdict::early;
    if (time > window.last_time) return Verdict::late;
    return Verdict::accept;
  }

  // "the line is cut at its N-character limit"
  [[nodiscard]] std::string cut_text() const;

  // True, with `why` filled, when the cut of a line read whole divides the
  // value of a chosen column.
  bool cut_divides(std::string_view line, char after, std::string& why) const;

  // Appends the chosen stresses of an accepted line to `out`, line after
  // line, unless `out` already holds `room` lines; false with `why` filled
  // when there is no room left or a stress is beyond the single-precision
  // range.
  bool keep(const std::vector<double>& values, std::size_t room, std::vector<float>& out,
            std::string& why) const {
    if (!several) {  // the dialogue's case, kept as lean as one push
      if (out.size() >= room) return no_room(why);
      const float stress = static_cast<float>(values[first]);
      if (std::isinf(stress)) return beyond_float(first + 1, why);
      out.push_back(stress);
      return true;
    }
    if (out.size() / columns.size() >= room) return no_room(why);
    for (const std::size_t column : columns) {
      if (std::isinf(static_cast<float>(values[column - 1]))) return beyond_float(column, why);
    }
    for (const std::size_t column : columns)
      out.push_back(static_cast<float>(values[column - 1]));
    return true;
  }

  // Fill `why` and return false.
  static bool no_room(std::string& why);
  static bool beyond_float(std::size_t column, std::string& why);
};

}  // namespace skaldur::series::detail
