#include "driver/report.hpp"

#include <cmath>
#include <limits>
#include <ostream>

#include "damage/assess.hpp"
#include "sncurve/echo.hpp"
#include "textio/format.hpp"
#include "textio/text.hpp"

namespace skaldur::driver {
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
double block_count(const ReportData& data, std::int64_t k) {
  if (k < 1 || static_cast<std::uint64_t>(k) > data.hist.size()) return 0.0;
  return static_cast<double>(data.hist[static_cast<std::size_t>(k - 1)]);
}

void write_damage_lines(std::ostream& out, const ReportData& data) {
  std::string text = " Computed Damage               : ";
  append_sci(text, data.damage, 15, 5);
  text += "\n Computed Damage per Year      : ";
  if (const auto per_year = damage::damage_per_year(data.damage, data.simulation_length)) {
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

void write_console_results(std::ostream& out, const ReportData& data) {
  write_damage_lines(out, data);
}

void write_summary(std::ostream& print, const ReportData& data) {
  std::string text(textio::trimmed(data.date_stamp));
  text += "\n Number of steps in Time Series:";
  append_int(text, data.n_steps, 12);
  text += "\n Simulation Length             :";
  append_fixed(text, data.simulation_length, 12, 3);
  text += "\n Force Unit Scaling Factor     :";
  append_fixed(text, data.force_unit_factor, 12, 6);
  text += "\n SCF                           :";
  append_fixed(text, data.scf, 12, 3);
  text += "\n\n";
  text += data.curve_line;
  text += '\n';
  print << text;
  sncurve::SNECHO(data.record, print);
  write_damage_lines(print, data);
  print << " \n --------------- e o f ----------------\n";
  print.flush();
}

void write_plot_file(std::ostream& file, const ReportData& data) {
  const std::int64_t n = whole(data.n_cycles);
  const std::int64_t nb = whole(data.n_blocks);
  const double bl = data.bloc_len * data.force_unit_factor;
  std::string text = "#" + data.date_stamp + "\n# Number of Cycles      : ";
  append_int(text, n, 12);
  text += "\n# Number of Stressblocks: ";
  append_int(text, nb, 12);
  text += "\n# Block Length    [MPa] : ";
  append_fixed(text, bl, 12, 3);
  text += "\n# TS Stress range [MPa] : ";
  append_fixed(text, data.ts_range * data.force_unit_factor, 12, 3);
  text += '\n';
  write_row(text, 0.0, 0.0);
  for (std::int64_t k = 1; k <= nb; ++k) {
    const double y = block_count(data, k);
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

void write_cycles_per_year(std::ostream& file, const ReportData& data, std::int64_t yearly) {
  const std::int64_t n = whole(data.n_cycles);
  const std::int64_t nb = whole(data.n_blocks);
  const double bl = data.bloc_len * data.force_unit_factor;
  const double range = data.ts_range * data.force_unit_factor;
  std::string text = "#" + data.date_stamp +
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
    const float y = y_factor * static_cast<float>(block_count(data, k));
    write_row(text, static_cast<double>(k) * bl, static_cast<double>(y));
    if (text.size() > (1 << 16)) {
      file << text;
      text.clear();
    }
  }
  file << text;
}

void ask_histogram_files(Dialogue& dialogue, textio::UnitTable& units, const ReportData& data,
                         std::span<const int> protected_units) {
  if (dialogue.ask_letter(kQ13) == 'y') {
    dialogue.ask_output_file(kQ14, textio::kOutputSlot, protected_units);
    write_plot_file(*units.output(textio::kOutputSlot), data);
  }
  if (dialogue.ask_letter(kQ15) == 'y') {
    const auto yearly = damage::yearly_factor(data.simulation_length);
    if (!yearly) {
      dialogue.out() << " No cycles per year: simulation length below 0.5\n";
      return;
    }
    dialogue.ask_output_file(kQ16, textio::kOutputSlot, protected_units);
    write_cycles_per_year(*units.output(textio::kOutputSlot), data, *yearly);
  }
}

}  // namespace skaldur::driver
