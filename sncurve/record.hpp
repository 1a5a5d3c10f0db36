#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace skaldur::sncurve {

// The SN-curve record: one flat array of doubles, positions counted from 1.
//
//   1 standard code  2 class code  3 environment code
//   4 nSNlin  5 nParPerLin  6 nFixPar  7 segStart (9)  8 fixStart
//   segStart + (j - 1) * nParPerLin:  LogA, m, nBreak   of segment j
//   fixStart ...:                      SigBreak, thick, k, kHigh, ...
//
// Positions 1 to 8 hold whole numbers as doubles; readers round them to the
// nearest whole number, halves away from zero.
//
// A segment gives N = 10^LogA * S^-m cycles at stress range S, down to its
// break range Sb, where it reaches nBreak cycles:
//
//   log S
//     ^
//     |`.   segment 1, slope -1/m
//     |  `.
//  Sb +....`-._   segment 2 (nBreak 0: no lower end)
//     |    :   `-._
//     +----+---------> log N
//        nBreak
inline constexpr std::size_t kRecordSize = 30;

// The working record of a run.
using Record = std::array<double, kRecordSize>;

inline constexpr int kHeaderSize = 8;
inline constexpr int kSegStart = 9;

// Standard codes of position 1.
inline constexpr int kNorsok = 1;
inline constexpr int kDnv = 2;

struct Segment {
  double log_a = 0.0;
  double m = 0.0;
  double n_break = 0.0;
};

// Rounds a count or code held as a double to the nearest whole number, halves
// away from zero. NaN gives 0; values beyond +-1e9 are held at +-1e9, so that
// sums and products of counts stay well inside an int64.
[[nodiscard]] int round_count(double value);

// The break range of a segment as the echo computes it:
// (10^LogA / nBreak)^(1/m) when nBreak is above 0, else 0.
[[nodiscard]] double break_range(const Segment& segment);

// Read-only typed access to a record of any length (a working record, or one
// block of the catalogue). Counts come from the record itself and may be
// garbage; no accessor ever reads outside `values`.
class RecordView {
 public:
  explicit RecordView(std::span<const double> values) : values_(values) {}

  // The value at `position` (from 1); nothing when the record has no such
  // position.
  [[nodiscard]] std::optional<double> at(int position) const;

  // Header fields, rounded; 0 when the record is shorter than the header.
  [[nodiscard]] int standard_code() const { return count_at(1); }
  [[nodiscard]] int class_code() const { return count_at(2); }
  [[nodiscard]] int environment_code() const { return count_at(3); }
  [[nodiscard]] int n_sn_lin() const { return count_at(4); }
  [[nodiscard]] int n_par_per_lin() const { return count_at(5); }
  [[nodiscard]] int n_fix_par() const { return count_at(6); }
  [[nodiscard]] int seg_start() const { return count_at(7); }
  [[nodiscard]] int fix_start() const { return count_at(8); }

  // Segment j (from 1) at segStart + (j - 1) * nParPerLin, whatever nSNlin
  // says; nothing when j is below 1, nParPerLin is below 1, or any of its
  // three values lies outside the record.
  [[nodiscard]] std::optional<Segment> segment(int j) const;

  // Fixed parameter i (from 1: SigBreak, thick, k, kHigh, ...) at
  // fixStart + i - 1, whatever nFixPar says; nothing outside the record.
  [[nodiscard]] std::optional<double> fixed(int i) const;

 private:
  [[nodiscard]] int count_at(int position) const;

  std::span<const double> values_;
};

}  // namespace skaldur::sncurve
