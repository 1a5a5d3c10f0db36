#include "report/report.hpp"

#include <cmath>
#include <limits>
#include <ostream>

#include "damage/assess.hpp"
#include "sncurve/echo.hpp"
#include "textio/format.hpp"
#include "textio/text.hpp"

namespace skaldur::report {
namespace {

using textio::append_fixed;
using textio::append_int;
using textio::append_sci;

// Rounds a count held as a double, halves away from zero; values beyond the
// 64-bit range (or NaN) give the widest value, which prints as asterisks.
std::int64_t whole(double value) {
  if (!(std::fabs(value) < 9.0e18)) return std::numeric_limits<std::int64_t>::max();
  return std::llround(value);
}

// Count of block k (from 1); blocks the count never wrote read as 0.
double block_count(const damage::Assessment& result, std::int64_t k) {
  if (k < 1 || static_cast<std::uint64_t>(k) > result.hist.size()) return 0.0;
  return static_cast<double>(result.hist[static_cast<std::size_t>(k - 1)]);
}

void write_damage_lines(std::ostream& out, const damage::Assessment& result,
                        const RunFacts& facts) {
  std::string text = " Computed Damage               : ";
  append_sci(text, result.damage, 15, 5);
  text += "\n Computed Damage per Year      : ";
  if (const auto per_year = damage::damage_per_year(result.damage, facts.simulation_length)) {
    append_sci(text, *per_year, 15, 5);
  } else {
    text += "      undefined";
  }
  text += '\n';
  out << text;
}

void write_row(std::string& text, double x, double y) {
  append_sci(text, x, 15, 5);
  append_sci(text, y, 15, 5);
  text += '\n';
}

}  // namespace

void write_console_results(std::ostream& out, const damage::Assessment& result,
                           const RunFacts& facts) {
  write_damage_lines(out, result, facts);
}

void write_summary(std::ostream& print, const damage::Assessment& result, const RunFacts& facts) {
  std::string text(textio::trimmed(facts.date_stamp));
  text += "\n Number of steps in Time Series:";
  append_int(text, facts.n_steps, 12);
  text += "\n Simulation Length             :";
  append_fixed(text, facts.simulation_length, 12, 3);
  text += "\n Force Unit Scaling Factor     :";
  append_fixed(text, facts.force_unit_factor, 12, 6);
  text += "\n SCF                           :";
  append_fixed(text, facts.scf, 12, 3);
  text += "\n\n";
  text += facts.curve_line;
  text += '\n';
  print << text;
  sncurve::SNECHO(facts.record, print);
  write_damage_lines(print, result, facts);
  print << " \n --------------- e o f ----------------\n";
  print.flush();
}

void write_plot_file(std::ostream& file, const damage::Assessment& result, const RunFacts& facts) {
  const std::int64_t n = whole(result.n_cycles);
  const std::int64_t nb = whole(result.n_blocks);
  const double bl = result.bloc_len * facts.force_unit_factor;
  std::string text = "#" + facts.date_stamp + "\n# Number of Cycles      : ";
  append_int(text, n, 12);
  text += "\n# Number of Stressblocks: ";
  append_int(text, nb, 12);
  text += "\n# Block Length    [MPa] : ";
  append_fixed(text, bl, 12, 3);
  text += "\n# TS Stress range [MPa] : ";
  append_fixed(text, result.ts_range * facts.force_unit_factor, 12, 3);
  text += '\n';
  write_row(text, 0.0, 0.0);
  for (std::int64_t k = 1; k <= nb; ++k) {
    const double y = block_count(result, k);
    write_row(text, static_cast<double>(k - 1) * bl, y);
    write_row(text, static_cast<double>(k) * bl, y);
    if (text.size() > (1 << 16)) {
      file << text;
      text.clear();
    }
  }
  write_row(text, static_cast<double>(nb) * bl, 0.0);
  file << text;
}

void write_cycles_per_year(std::ostream& file, const damage::Assessment& result,
                           const RunFacts& facts, std::int64_t yearly) {
  const std::int64_t n = whole(result.n_cycles);
  const std::int64_t nb = whole(result.n_blocks);
  const double bl = result.bloc_len * facts.force_unit_factor;
  const double range = result.ts_range * facts.force_unit_factor;
  std::string text = "#" + facts.date_stamp +
                     "\n#           \n# ==================================\n"
                     "# == Data refer to Cycles per Year =\n# ----------------------------------\n"
                     "#           \n# Number of Cycles      : ";
  // n x Y in 64 bits; a product beyond that prints as asterisks.
  const bool fits =
      n == 0 || yearly == 0 || std::llabs(n) <= std::numeric_limits<std::int64_t>::max() / yearly;
  append_int(text, fits ? n * yearly : std::numeric_limits<std::int64_t>::max(), 12);
  text += "\n# Number of Stressblocks: ";
  append_int(text, nb, 12);
  text += "\n# Block Length    [MPa] : ";
  append_fixed(text, bl, 12, 5);
  text += "\n# TS Stress range [MPa] : ";
  append_fixed(text, range, 12, 5);
  text += "\n#           \n# nBlocks    BlocLen    TSRange\n";
  append_int(text, nb, 8);
  append_fixed(text, bl, 12, 5);
  append_fixed(text, range, 12, 5);
  text += "\n#           \n";
  const float y_factor = static_cast<float>(yearly);
  for (std::int64_t k = 1; k <= nb; ++k) {
    const float y = y_factor * static_cast<float>(block_count(result, k));
    write_row(text, static_cast<double>(k) * bl, static_cast<double>(y));
    if (text.size() > (1 << 16)) {
      file << text;
      text.clear();
    }
  }
  file << text;
}

}  // namespace skaldur::report
