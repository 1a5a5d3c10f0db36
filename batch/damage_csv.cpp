#include "batch/csv_fields.hpp"
#include "batch/outputs.hpp"

namespace skaldur::batch {

// With the equivalent range asked for, one more column: each run's, from
// its damage over the record.
std::string damage_csv(const JobView& view, const std::vector<CaseResult>& cases) {
  const std::optional<double> n_eq = view.outputs.equivalent_range;
  std::string text =
      "hotspot,load_case,file,steps,simulation_length,cycles,damage,weight,damage_per_year,"
      "status";
  text += n_eq ? ",equivalent_range\n" : "\n";
  for (std::size_t h = 0; h < view.hotspots.size(); ++h) {
    for (std::size_t c = 0; c < cases.size(); ++c) {
      const CaseView& cv = view.cases[c];
      const CaseResult& r = cases[c];
      const Run& run = r.runs[h];
      const double weight = yearly_weight(view.weight_kind, cv.weight, r.simulation_length);
      append_fields(text, view.hotspots[h].name, cv.name, cv.file, static_cast<double>(r.steps),
                    r.simulation_length, run.n_cycles, run.damage, weight, weight * run.damage,
                    status_name(run.status));
      if (n_eq) {
        text += ',';
        append_number(text, equivalent_range(view.hotspots[h], run.damage, *n_eq));
      }
      text += '\n';
    }
  }
  return text;
}

}  // namespace skaldur::batch
