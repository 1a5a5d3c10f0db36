#include "batch/results.hpp"

#include <array>
#include <cmath>
#include <limits>

#include "damage/assess.hpp"
#include "damage/curve_life.hpp"

namespace skaldur::batch {

namespace {

constexpr std::array<std::pair<RunStatus, std::string_view>, 4> kStatusNames = {{
    {RunStatus::ok, "ok"},
    {RunStatus::too_short, "too_short"},
    {RunStatus::no_data, "no_data"},
    {RunStatus::no_swing, "no_swing"},
}};

}  // namespace

std::string_view status_name(RunStatus status) {
  for (const auto& [s, name] : kStatusNames) {
    if (s == status) return name;
  }
  return "?";
}

std::optional<RunStatus> status_of(std::string_view name) {
  for (const auto& [s, n] : kStatusNames) {
    if (n == name) return s;
  }
  return std::nullopt;
}

double yearly_weight(WeightKind kind, double value, double simulation_length) {
  constexpr auto kYear = static_cast<double>(damage::kSecondsPerYear);
  if (kind != WeightKind::occurrences_per_year && !(simulation_length > 0.0)) return 0.0;
  switch (kind) {
    case WeightKind::probability: return value * kYear / simulation_length;
    case WeightKind::hours_per_year: return 3600.0 * value / simulation_length;
    case WeightKind::occurrences_per_year: return value;
  }
  return 0.0;
}

double equivalent_range(const HotspotView& hotspot, double damage, double n_eq) {
  const damage::CurveLife life(hotspot.curve_record);
  return life.equivalent_range(damage / n_eq) / hotspot.thickness_factor;
}

std::optional<std::string> first_non_finite(const JobView& job,
                                            const std::vector<CaseResult>& cases) {
  for (std::size_t c = 0; c < cases.size(); ++c) {
    if (!cases[c].done) continue;
    const double weight =
        yearly_weight(job.weight_kind, job.cases[c].weight, cases[c].simulation_length);
    for (std::size_t h = 0; h < cases[c].runs.size(); ++h) {
      const double d = cases[c].runs[h].damage;
      const double value = std::isfinite(d) ? weight * d : d;
      if (std::isfinite(value)) continue;
      return "the damage of hotspot '" + job.hotspots[h].name + "' under load case '" +
             job.cases[c].name + "' is not a finite number (" +
             (std::isnan(value) ? "nan" : "inf") + (std::isfinite(d) ? " per year)" : ")");
    }
  }
  return std::nullopt;
}

bool all_runs_ok(const std::vector<CaseResult>& cases) {
  for (const CaseResult& c : cases) {
    for (const Run& run : c.runs) {
      if (run.status != RunStatus::ok) return false;
    }
  }
  return true;
}

std::string governing_name(const JobView& job, const HotspotSummary& summary) {
  return summary.governing >= 0 ? job.cases[static_cast<std::size_t>(summary.governing)].name
                                : std::string();
}

std::vector<HotspotSummary> summarise(const JobView& job, const std::vector<CaseResult>& cases) {
  std::vector<HotspotSummary> out(job.hotspots.size());
  for (std::size_t h = 0; h < job.hotspots.size(); ++h) {
    HotspotSummary& s = out[h];
    double largest = 0.0;
    for (std::size_t c = 0; c < cases.size(); ++c) {
      const double weight =
          yearly_weight(job.weight_kind, job.cases[c].weight, cases[c].simulation_length);
      const double d = weight * cases[c].runs[h].damage;
      s.damage_per_year += d;
      if (d > largest) {
        largest = d;
        s.governing = static_cast<int>(c);
      }
    }
    s.life_years =
        s.damage_per_year > 0.0 ? 1.0 / s.damage_per_year : std::numeric_limits<double>::infinity();
    s.utilisation = s.damage_per_year * job.design_life * job.hotspots[h].dff;
    s.pass = s.utilisation <= 1.0;
    s.governing_share = s.governing >= 0 ? largest / s.damage_per_year : 0.0;
  }
  return out;
}

}  // namespace skaldur::batch
