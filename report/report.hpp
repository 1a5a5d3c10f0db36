#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "damage/assess.hpp"

namespace skaldur::report {

// What the reports show besides the assessment: the run's settings and the
// record it read.
struct RunFacts {
  std::string date_stamp;          // 256 characters
  std::int64_t n_steps = 0;        // values of the series
  double simulation_length = 0.0;  // of the series, in its time unit
  double force_unit_factor = 1.0e-6;
  double scf = 1.0;                // as answered
  std::string curve_line;          // " Selected SN-Curve ..." or " User Defined SN-Curve ..."
  std::span<const double> record;  // the working SN-curve record, for the echo
};

// The two result lines of the console: the damage and the damage per year.
void write_console_results(std::ostream& out, const damage::Assessment& result,
                           const RunFacts& facts);

// The run summary of the print file, the curve's echo included.
void write_summary(std::ostream& print, const damage::Assessment& result, const RunFacts& facts);

// The cycle-histogram plot file: the outline of the histogram as a step line,
// in MPa. Blocks without a count show 0.
void write_plot_file(std::ostream& file, const damage::Assessment& result, const RunFacts& facts);

// The cycles-per-year file: one row per block, at its upper edge, the counts
// times `yearly` (damage::yearly_factor) in single precision.
void write_cycles_per_year(std::ostream& file, const damage::Assessment& result,
                           const RunFacts& facts, std::int64_t yearly);

}  // namespace skaldur::report
