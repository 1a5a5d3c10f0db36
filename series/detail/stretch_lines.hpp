#pragma once

// Internal to the series library: front ends include series/series.hpp only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "series/detail/line_rules.hpp"

namespace skaldur::series::detail {

// The outcome of reading one stretch of whole lines.
struct ChunkResult {
  enum class Stop { none, window, error };
  std::vector<float> values;  // accepted stresses, line after line, the chosen columns of each
  std::int64_t lines = 0;     // lines in the stretch
  bool any_data = false;      // a data line was read: last_time holds its time
  double last_time = 0.0;
  Stop stop = Stop::none;
  std::int64_t stop_line = 0;  // from 1 within the stretch
  std::string stop_text;
  std::string stop_what;

  // Empties the result, keeping the memory of its values.
  void clear() {
    values.clear();
    lines = 0;
    any_data = false;
    last_time = 0.0;
    stop = Stop::none;
    stop_line = 0;
  }
};

// Reads the whole lines of `text` (the last one may lack its line feed) by
// the rules into `result`, accepting at most `limit` lines, and stops at the
// first line that ends the reading. Short lines of plain numbers, most lines
// of a record, are read the quick way (textio::read_plain_line): `text` is
// followed by textio::kPlainLineReach readable bytes for them.
void read_chunk(std::string_view text, const LineRules& rules, std::size_t limit,
                ChunkResult& result);

}  // namespace skaldur::series::detail
