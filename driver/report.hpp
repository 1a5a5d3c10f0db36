#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>

#include "driver/dialogue.hpp"
#include "textio/units.hpp"

namespace skaldur::driver {

// What the run report shows: the results of the damage computation and the
// settings they came from.
struct ReportData {
  std::int64_t n_steps = 0;
  double simulation_length = 0.0;
  double force_unit_factor = 1.0e-6;
  double scf = 1.0;                // as answered
  std::string date_stamp;          // 256 characters
  std::string curve_line;          // " Selected SN-Curve ..." or " User Defined SN-Curve ..."
  std::span<const double> record;  // the working SN-curve record, for the echo
  double damage = 0.0;             // of the series
  double n_cycles = 0.0;           // as a whole number
  double ts_range = 0.0;           // in the unit of the series
  double n_blocks = 0.0;           // the number of blocks used
  double bloc_len = 0.0;           // in the unit of the series
  std::span<const float> hist;     // cycle count of each block; missing blocks count 0
};

// The two result lines of the console.
void write_console_results(std::ostream& out, const ReportData& data);

// The run summary of the print file, the curve's echo included.
void write_summary(std::ostream& print, const ReportData& data);

// The cycle-histogram plot file: the outline of the histogram as a step line.
void write_plot_file(std::ostream& file, const ReportData& data);

// The cycles-per-year file: one row per block, at its upper edge.
void write_cycles_per_year(std::ostream& file, const ReportData& data, std::int64_t yearly);

// Questions 13 to 16 and the files they ask for. Outputs named there may not
// be one of `protected_units` (the input files and the print file): such a
// name is refused and asked for again.
void ask_histogram_files(Dialogue& dialogue, textio::UnitTable& units, const ReportData& data,
                         std::span<const int> protected_units);

}  // namespace skaldur::driver
