#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "textio/line_error.hpp"
#include "textio/lines.hpp"
#include "textio/result.hpp"

namespace skaldur::sncurve {

// Reads a user's SN-curve definition file into `record` and returns its title.
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
// When the title line is read, writes on `console` an empty line and
// " User Defined SN-Curve         : " followed by the line without its
// trailing blanks. When the counts line is accepted, writes the header
// 2, 1, 1, nSNlin, 3, nFixPar, 9, 9 + 3 * nSNlin into positions 1 to 8, then
// segment j into positions 9 + 3 * (j - 1) onward and the fixed parameters
// behind the segments. Positions not written keep their contents; nothing is
// written outside `record`.
//
// Fails, with nothing of the offending line written, when:
//   - the file cannot be read;
//   - a data line lacks a value it must hold, or holds text where it belongs;
//   - a count is negative, or nParPerLin is not 3;
//   - 8 + 3 * nSNlin + nFixPar values do not fit `record`;
//   - a segment's m is not above 0;
//   - the file ends before its fixed-parameter line (error.line 0).
[[nodiscard]] textio::Result<std::string, textio::LineError> read_definition(
    textio::LineReader& lines, std::span<double> record, std::ostream& console);

}  // namespace skaldur::sncurve
