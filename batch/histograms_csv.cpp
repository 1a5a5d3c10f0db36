#include "batch/csv_fields.hpp"
#include "batch/outputs.hpp"

namespace skaldur::batch {

// The blocks are in MPa of the series, as in the dialogue's histogram files;
// only blocks with cycles have a row.
std::string histograms_csv(const JobView& view, const std::vector<CaseResult>& cases) {
  std::string text = "hotspot,load_case,block,range_low,range_high,cycles,cycles_per_year\n";
  for (std::size_t h = 0; h < view.hotspots.size(); ++h) {
    for (std::size_t c = 0; c < cases.size(); ++c) {
      const CaseView& cv = view.cases[c];
      const Run& run = cases[c].runs[h];
      const double weight = yearly_weight(view.weight_kind, cv.weight, cases[c].simulation_length);
      const double width = run.bloc_len * view.force_unit_factor;
      for (const BlockCount& b : run.hist) {
        const auto cycles = static_cast<double>(b.cycles);
        append_row(text, view.hotspots[h].name, cv.name, static_cast<double>(b.block) + 1.0,
                   static_cast<double>(b.block) * width,
                   (static_cast<double>(b.block) + 1.0) * width, cycles, cycles * weight);
      }
    }
  }
  return text;
}

}  // namespace skaldur::batch
