#pragma once

// Internal to the series library: front ends include series/series.hpp only.

#include <cstdint>
#include <string_view>
#include <vector>

#include "series/detail/line_rules.hpp"
#include "series/series.hpp"
#include "textio/line_error.hpp"
#include "textio/result.hpp"

namespace skaldur::series::detail {

// Appends stresses kept line after line (the chosen columns of each line) to
// the columns.
void append_lines(const std::vector<float>& values, std::vector<std::vector<float>>& columns);

// Reads the lines of `fd` after the first accepted one into `record`, whose
// columns hold that line's chosen values and whose start_time is its time;
// `unread` holds the bytes already read from `fd` that come first, and
// `lines_before` counts the lines before them. On two threads each reads
// every other stretch from the file, reads its lines and takes its values,
// the reading from the file and the taking in file order, so the values,
// the end of the window and the first unreadable line are exactly those of
// a reading line by line; when the system refuses the second thread the
// stretches are read one after the other. Every byte read from `fd` is added to the
// reader's `fingerprint` when there is one. Returns the time of the last data
// line read (the first accepted line's when no other was read).
[[nodiscard]] textio::Result<double, textio::LineError> read_rest(
    int fd, std::string_view unread, std::int64_t lines_before, const LineRules& rules,
    const ReadTuning& tuning, Record& record, textio::Fingerprint* fingerprint);

}  // namespace skaldur::series::detail
