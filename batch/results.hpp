#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/job.hpp"

namespace skaldur::batch {

// What happened to a run. Every status but `ok` counts damage 0 and warns.
enum class RunStatus {
  ok,         // assessed (possibly without damage)
  too_short,  // fewer than 4 turning points: no cycle can be counted
  no_data,    // fewer than 2 lines in the load case's window of its record
  no_swing,   // a constant channel: no range to count
};

// The name written to the outputs: "ok", "too_short", ...
[[nodiscard]] std::string_view status_name(RunStatus status);

// The status of a name that status_name gives; nothing for any other text.
[[nodiscard]] std::optional<RunStatus> status_of(std::string_view name);

// A block of a histogram that holds cycles.
struct BlockCount {
  std::int32_t block = 0;  // 0 for the lowest range
  float cycles = 0.0f;     // above 0
};

// One hotspot under one load case: what the core's assessment gives.
struct Run {
  RunStatus status = RunStatus::ok;
  double damage = 0.0;
  double n_cycles = 0.0;
  double ts_range = 0.0;
  double n_blocks = 0.0;
  double bloc_len = 0.0;                   // series unit; 0 when nothing was counted
  std::vector<BlockCount> hist;            // the blocks with cycles, lowest first
  std::vector<cycles::MatrixCell> matrix;  // when asked: the cells with cycles
  std::vector<double> del_sums;            // when asked: sum n S^m for each exponent
};

// One load case: its record and the runs of every hotspot, in job order.
struct CaseResult {
  bool done = false;
  std::int64_t steps = 0;
  double simulation_length = 0.0;
  std::vector<Run> runs;
  std::uint64_t fingerprint = 0;  // of every byte of the record's file, when computed for a shard
};

// What the outputs need of the job, the same whether it comes from the job
// file or from shard folders.
struct HotspotView {
  std::string name;
  std::string curve;
  double scf = 1.0;        // as used: 1.0 for an SCF not above 1.0E-10
  double thickness = 0.0;  // as used: see damage::thickness_factor
  double dff = 1.0;
  double thickness_factor = 1.0;
  DamageSettings settings;
  sncurve::Record curve_record{};  // for the equivalent range on the hotspot's own curve
};
struct CaseView {
  std::string name;
  std::string file;
  double weight = 0.0;  // the table's p, H or n
};
struct JobView {
  std::string title;
  double design_life = 0.0;
  double force_unit_factor = 1.0e-6;
  WeightKind weight_kind = WeightKind::probability;
  cycles::Conventions conventions;
  OutputRequest outputs;
  std::vector<HotspotView> hotspots;
  std::vector<CaseView> cases;
};

// The factor that turns the damage of one record into its share of a year:
// p * Y / T, 3600 * H / T or n, with Y the 31 536 000 seconds of the year
// and T the record's simulation length. The yearly damage of a run is
// factor * damage, so that damage.csv's damage x weight is its
// damage_per_year to the last bit. A record that spans no time (only a
// `no_data` case gets this far with one) weighs 0 by p or H.
[[nodiscard]] double yearly_weight(WeightKind kind, double value, double simulation_length);

// The equivalent range of the hotspot: the constant hot-spot stress range
// (MPa, before the thickness factor) of which `n_eq` cycles give `damage` on
// the hotspot's curve, S_eq = S(damage / n_eq) / thickness factor, with
// S(d) the range of damage d in one cycle. 0 for a damage of 0.
[[nodiscard]] double equivalent_range(const HotspotView& hotspot, double damage, double n_eq);

struct HotspotSummary {
  double damage_per_year = 0.0;  // sum of the load cases' yearly damage, in table order
  double life_years = 0.0;       // 1 / damage_per_year (inf without damage)
  double utilisation = 0.0;      // damage_per_year x design life x DFF
  bool pass = true;              // utilisation <= 1
  int governing = -1;            // the load case of the largest yearly damage; -1 without damage
  double governing_share = 0.0;  // its share of damage_per_year
};

// "the damage of hotspot 'H' under load case 'C' is not a finite number
// (nan)" for the first run in table order whose damage, or yearly damage,
// is infinite or NaN; nothing when every one is finite. Cases not done are
// skipped.
[[nodiscard]] std::optional<std::string> first_non_finite(const JobView& job,
                                                          const std::vector<CaseResult>& cases);

// Whether every run of the cases done is `ok`.
[[nodiscard]] bool all_runs_ok(const std::vector<CaseResult>& cases);

// The name of the governing load case; "" without damage.
[[nodiscard]] std::string governing_name(const JobView& job, const HotspotSummary& summary);

// One summary per hotspot; every case must be done.
[[nodiscard]] std::vector<HotspotSummary> summarise(const JobView& job,
                                                    const std::vector<CaseResult>& cases);

}  // namespace skaldur::batch
