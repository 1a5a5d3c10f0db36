#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/job.hpp"

namespace skaldur::batch {

// One hotspot under one load case: what the core's assessment gives.
struct Run {
  std::string status = "ok";  // or "too_short": the series is too short to count
  double damage = 0.0;
  double n_cycles = 0.0;
  double ts_range = 0.0;
  double n_blocks = 0.0;
  double bloc_len = 0.0;    // series unit; 0 when nothing was counted
  std::vector<float> hist;  // cycles of each block; empty when nothing was counted
};

// One load case: its record and the runs of every hotspot, in job order.
struct CaseResult {
  bool done = false;
  std::int64_t steps = 0;
  double simulation_length = 0.0;
  std::vector<Run> runs;
  std::uint64_t fingerprint = 0;  // of every byte of the record's file (textio::Fingerprint)
};

// What the outputs need of the job, the same whether it comes from the job
// file or from shard folders.
struct HotspotView {
  std::string name;
  std::string curve;
  double scf = 1.0;
  double thickness = 0.0;
  double dff = 1.0;
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
  std::vector<HotspotView> hotspots;
  std::vector<CaseView> cases;
};

// The factor that turns the damage of one record into its share of a year:
// p * Y / T, 3600 * H / T or n, with Y the 31 536 000 seconds of the year
// and T the record's simulation length. The yearly damage of a run is
// factor * damage, so that damage.csv's damage x weight is its
// damage_per_year to the last bit.
[[nodiscard]] double yearly_weight(WeightKind kind, double value, double simulation_length);

struct HotspotSummary {
  double damage_per_year = 0.0;  // sum of the load cases' yearly damage, in table order
  double life_years = 0.0;       // 1 / damage_per_year (inf without damage)
  double utilisation = 0.0;      // damage_per_year x design life x DFF
  bool pass = true;              // utilisation <= 1
  int governing = -1;            // the load case of the largest yearly damage; -1 without damage
  double governing_share = 0.0;  // its share of damage_per_year
};

// The name of the governing load case; "" without damage.
[[nodiscard]] std::string governing_name(const JobView& job, const HotspotSummary& summary);

// One summary per hotspot; every case must be done.
[[nodiscard]] std::vector<HotspotSummary> summarise(const JobView& job,
                                                    const std::vector<CaseResult>& cases);

}  // namespace skaldur::batch
