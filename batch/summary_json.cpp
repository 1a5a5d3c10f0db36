#include "batch/outputs.hpp"

namespace skaldur::batch {
namespace {

Json case_json(const JobView& view, const std::vector<CaseResult>& cases, std::size_t h,
               std::size_t c) {
  const CaseView& cv = view.cases[c];
  const CaseResult& r = cases[c];
  const Run& run = r.runs[h];
  const double weight = yearly_weight(view.weight_kind, cv.weight, r.simulation_length);
  return {{"load_case", cv.name},
          {"steps", r.steps},
          {"simulation_length", r.simulation_length},
          {"cycles", run.n_cycles},
          {"damage", run.damage},
          {"weight", weight},
          {"damage_per_year", weight * run.damage},
          {"status", status_name(run.status)}};
}

Json hotspot_json(const JobView& view, const std::vector<CaseResult>& cases,
                  const HotspotSummary& s, std::size_t h) {
  Json per_case = Json::array();
  for (std::size_t c = 0; c < cases.size(); ++c)
    per_case.push_back(case_json(view, cases, h, c));
  return {{"hotspot", view.hotspots[h].name},
          {"damage_per_year", s.damage_per_year},
          {"life_years", s.life_years},
          {"utilisation", s.utilisation},
          {"verdict", s.pass ? "pass" : "fail"},
          {"governing_load_case", s.governing >= 0 ? Json(governing_name(view, s)) : Json()},
          {"governing_share", s.governing_share},
          {"load_cases", per_case}};
}

}  // namespace

std::string summary_json(const Json& job, const JobView& view, const std::vector<CaseResult>& cases,
                         const std::vector<HotspotSummary>& summaries) {
  Json results = Json::array();
  for (std::size_t h = 0; h < view.hotspots.size(); ++h)
    results.push_back(hotspot_json(view, cases, summaries[h], h));
  const Json all = {{"program", "skaldur-batch"},
                    {"version", SKALDUR_VERSION},
                    {"job", job},
                    {"results", results}};
  return json_text(all, 2) + "\n";
}

}  // namespace skaldur::batch
