#include "batch/csv_fields.hpp"
#include "batch/outputs.hpp"

namespace skaldur::batch {

// With the equivalent range asked for, one more column: the year's, from
// the hotspot's damage per year.
std::string summary_csv(const JobView& view, const std::vector<HotspotSummary>& summaries) {
  const std::optional<double> n_eq = view.outputs.equivalent_range;
  std::string text =
      "hotspot,curve,scf,thickness,thickness_factor,dff,damage_per_year,life_years,utilisation,"
      "verdict,"
      "governing_load_case,governing_share";
  text += n_eq ? ",equivalent_range\n" : "\n";
  for (std::size_t h = 0; h < view.hotspots.size(); ++h) {
    const HotspotView& hv = view.hotspots[h];
    const HotspotSummary& s = summaries[h];
    append_fields(text, hv.name, hv.curve, hv.scf, hv.thickness, hv.thickness_factor, hv.dff,
                  s.damage_per_year, s.life_years, s.utilisation,
                  std::string_view(s.pass ? "pass" : "fail"), governing_name(view, s),
                  s.governing_share);
    if (n_eq) {
      text += ',';
      append_number(text, equivalent_range(hv, s.damage_per_year, *n_eq));
    }
    text += '\n';
  }
  return text;
}

}  // namespace skaldur::batch
