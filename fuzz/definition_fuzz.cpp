// Fuzz target: the SN-curve definition-file reader on arbitrary file bytes.
// The first byte picks whether lines are read through a narrow width and a
// small buffer; the rest is the file. The record lives on the heap with one
// marked value in every position, so that a write outside it or into a
// position the file does not fill is seen.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/support.hpp"
#include "sncurve/definition.hpp"
#include "sncurve/record.hpp"
#include "textio/lines.hpp"

namespace {

using skaldur::fuzz::check;
using namespace skaldur;

constexpr double kUntouched = -7777.25;

bool is_whole(double value) {
  return std::isfinite(value) && value == std::round(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const unsigned shape = data[0];
  const std::string_view bytes = fuzz::as_text(data + 1, size - 1);
  const std::size_t width = (shape & 1U) != 0 ? 16 : textio::kLineWidth;
  // A block far below the program's 1 MB keeps the runs fast; the lines come
  // out the same.
  const std::size_t block = (shape & 2U) != 0 ? 64 : std::size_t{1} << 14;

  fuzz::MemoryFile file(bytes);
  textio::LineReader lines(file.fd(), width, block);
  std::vector<double> record(sncurve::kRecordSize, kUntouched);
  // As the dialogue reads it: the title line first, then the curve.
  const auto title_line = sncurve::read_title_line(lines);
  const auto used =
      title_line
          ? sncurve::read_curve_lines(lines, record)
          : textio::Result<std::int64_t, textio::LineError>(textio::fail(title_line.error()));

  check(
      !title_line || !(textio::is_comment_line(*title_line) || textio::is_blank_line(*title_line)),
      "a comment or blank line taken for the title line");
  if (!used) {
    check(!used.error().what.empty(), "a refused file without a reason");
    check(used.error().line >= 0, "a negative line number");
    return 0;
  }
  // The header of a file curve, then the segments and the fixed parameters.
  check(record[0] == 2.0 && record[1] == 1.0 && record[2] == 1.0, "the curve's codes");
  check(record[4] == 3.0 && record[6] == 9.0, "nParPerLin and segStart");
  const double n_sn_lin = record[3];
  const double n_fix_par = record[5];
  check(is_whole(n_sn_lin) && n_sn_lin >= 0.0, "nSNlin is not a count");
  check(is_whole(n_fix_par) && n_fix_par >= 0.0, "nFixPar is not a count");
  check(record[7] == 9.0 + 3.0 * n_sn_lin, "fixStart does not follow the segments");
  check(static_cast<double>(*used) == 8.0 + 3.0 * n_sn_lin + n_fix_par,
        "the count of values taken is not that of the header");
  check(*used <= static_cast<std::int64_t>(record.size()), "the curve does not fit the record");
  for (std::size_t j = 0; j < static_cast<std::size_t>(n_sn_lin); ++j) {
    check(record[8 + 3 * j + 1] > 0.0, "a segment with an exponent not above 0");
  }
  for (auto i = static_cast<std::size_t>(*used); i < record.size(); ++i)
    check(record[i] == kUntouched, "a position beyond the curve was written");
  return 0;
}
