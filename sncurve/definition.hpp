#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "textio/line_error.hpp"
#include "textio/lines.hpp"
#include "textio/result.hpp"

namespace skaldur::sncurve {

// A user's SN-curve definition file.
//
// Lines whose first character is '$', '#', '!' or an apostrophe, and lines of
// blanks only, are skipped wherever they stand; every other line is a data
// line (a blank followed by an apostrophe is data). The data lines, in order:
//
//   title line             any text, never read as numbers; its first 256
//                          characters are the title
//   counts line            nSNlin nParPerLin nFixPar     (whole numbers)
//   nSNlin segment lines   LogA m nBreak                 (reals, high stress first)
//   fixed-parameter line   nFixPar reals: SigBreak thick k kHigh ...
//
// Values are in free form (textio::FreeFormReader); values beyond those read
// from a line are ignored, and nothing after the fixed-parameter line is read.
// With nFixPar 0 the fixed-parameter line holds nothing to read, so the file
// may end after its last segment line and any line there is left unread.
//
// The file is read in two steps, so that a caller can show the title before
// the rest of the file is looked at: read_title_line, then read_curve_lines
// on the same reader. read_definition does both.

// Reads up to the title line and returns it as read, of any length. Fails
// when the file cannot be read or ends before the title line (error.line 0).
[[nodiscard]] textio::Result<std::string, textio::LineError> read_title_line(
    textio::LineReader& lines);

// The title a title line gives: its first 256 characters.
[[nodiscard]] std::string_view title_of(std::string_view title_line);

// Reads the data lines after the title line into `record` and returns the
// number of values the curve takes there, 8 + 3 * nSNlin + nFixPar.
//
// When the counts line is accepted, writes the header 2, 1, 1, nSNlin, 3,
// nFixPar, 9, 9 + 3 * nSNlin into positions 1 to 8, then segment j into
// positions 9 + 3 * (j - 1) onward and the fixed parameters behind the
// segments. Positions not written keep their contents; nothing is written
// outside `record`.
//
// Fails, with nothing of the offending line written, when:
//   - the file cannot be read;
//   - a data line lacks a value it must hold, or holds text where it belongs;
//   - a count is negative, or nParPerLin is not 3;
//   - 8 + 3 * nSNlin + nFixPar values do not fit `record`;
//   - a segment's m is not above 0;
//   - the file ends before its fixed-parameter line (error.line 0).
[[nodiscard]] textio::Result<std::int64_t, textio::LineError> read_curve_lines(
    textio::LineReader& lines, std::span<double> record);

// The whole file: read_title_line, then read_curve_lines. Returns the title.
[[nodiscard]] textio::Result<std::string, textio::LineError> read_definition(
    textio::LineReader& lines, std::span<double> record);

}  // namespace skaldur::sncurve
