#include "sncurve/echo.hpp"

#include <ostream>
#include <string>
#include <string_view>

#include "sncurve/record.hpp"
#include "textio/format.hpp"

namespace skaldur::sncurve {
namespace {

constexpr std::string_view kCountsHeading = "'    nSNlin  nParPerLin  nFixPar ";
constexpr std::string_view kSegmentHeading = "'  LogA        m         nBreak  ";
constexpr std::string_view kFixedHeading = "'  SigBreak    thick     k     .....  ";
static_assert(kCountsHeading.size() == 33 && kSegmentHeading.size() == 33 &&
              kFixedHeading.size() == 38);

constexpr int kFixedPerLine = 5;

// "'" and 40 blanks, in front of the "Line Segment" and "Fixed Parameters" titles.
std::string title_line(std::string_view title) {
  std::string line = "'";
  line.append(40, ' ');
  line.append(title);
  return line;
}

}  // namespace

void SNECHO(std::span<const double> record, std::ostream& print) {
  using textio::append_fixed;
  using textio::append_int;
  using textio::append_sci;

  const RecordView view(record);
  std::string out = " \n";
  out += kCountsHeading;
  out += '\n';
  append_int(out, view.n_sn_lin(), 10);
  append_int(out, view.n_par_per_lin(), 10);
  append_int(out, view.n_fix_par(), 10);
  out += '\n';

  for (int j = 1; j <= view.n_sn_lin(); ++j) {
    const auto segment = view.segment(j);
    if (!segment) break;
    out += title_line(" Line Segment");
    append_int(out, j, 3);
    out += '\n';
    out += kSegmentHeading;
    out += '\n';
    append_fixed(out, segment->log_a, 10, 3);
    append_fixed(out, segment->m, 10, 3);
    append_sci(out, segment->n_break, 12, 3);
    out += '\n';
  }

  out += title_line(" Fixed Parameters");
  out += '\n';
  out += kFixedHeading;
  out += '\n';
  int written = 0;
  for (int i = 1; i <= view.n_fix_par(); ++i) {
    const auto value = view.fixed(i);
    if (!value) break;
    if (written > 0 && written % kFixedPerLine == 0) out += '\n';
    append_fixed(out, *value, 10, 3);
    ++written;
  }
  out += '\n';

  const auto first = view.segment(1);
  const double computed = view.n_sn_lin() >= 1 && first ? break_range(*first) : 0.0;
  out += "\n Computed SigBreak: ";
  append_fixed(out, computed, 10, 3);
  out += "\n\n";
  print << out;
}

}  // namespace skaldur::sncurve
