#include "batch/run_warnings.hpp"

namespace skaldur::batch {

std::vector<std::string> run_warnings(const JobView& view, const std::vector<CaseResult>& cases) {
  std::vector<std::string> warnings;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    for (std::size_t h = 0; h < cases[c].runs.size(); ++h) {
      if (cases[c].runs[h].status != "ok") {
        warnings.push_back(
            "load case '" + view.cases[c].name + "', hotspot '" + view.hotspots[h].name +
            "': " + view.cases[c].file +
            " is too short to count cycles (fewer than 4 turning points); its damage counts as 0");
      }
    }
  }
  return warnings;
}

}  // namespace skaldur::batch
