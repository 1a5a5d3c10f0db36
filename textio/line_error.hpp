#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace skaldur::textio {

// Where and why the reading of an input file stopped: the line (from 1; 0
// when no line is concerned, such as a file that ended too early), the line
// as read, and what was wrong with it.
struct LineError {
  std::int64_t line = 0;
  std::string text;
  std::string what;
};

// The one-line message of a line error in `file`:
//
//   FILE, line N: WHAT: 'TEXT'
//
// ", line N" is left out for line 0 and ": 'TEXT'" for an empty text; the
// text is shown through printable(), so the message stays one plain line.
[[nodiscard]] std::string describe(const LineError& error, std::string_view file);

// "the file cannot be read: " and the system's text for `error_number`.
[[nodiscard]] std::string cannot_read(int error_number);

}  // namespace skaldur::textio
