#include "batch/run_warnings.hpp"

#include <array>

namespace skaldur::batch {
namespace {

// What the status means for the run, after "load case 'C', hotspot 'H': ".
std::string what_happened(const CaseView& cv, const CaseResult& r, RunStatus status) {
  switch (status) {
    case RunStatus::ok: break;
    case RunStatus::too_short:
      return cv.file + " is too short to count cycles (fewer than 4 turning points)";
    case RunStatus::no_data:
      return cv.file + " has " + std::to_string(r.steps) +
             (r.steps == 1 ? " data line" : " data lines") +
             " in the load case's time window, fewer than 2: nothing to count";
    case RunStatus::no_swing:
      return "the hotspot's column of " + cv.file + " is constant: no cycle to count";
  }
  return {};
}

}  // namespace

std::vector<std::string> run_warnings(const JobView& view, const std::vector<CaseResult>& cases) {
  std::vector<std::string> warnings;
  std::array<std::size_t, 4> counts{};
  std::size_t total = 0;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    for (std::size_t h = 0; h < cases[c].runs.size(); ++h) {
      const RunStatus status = cases[c].runs[h].status;
      if (status == RunStatus::ok) continue;
      ++counts[static_cast<std::size_t>(status)];
      if (++total > kMostRunWarnings) continue;  // a summary shows fewer
      warnings.push_back(
          "load case '" + view.cases[c].name + "', hotspot '" + view.hotspots[h].name +
          "': " + what_happened(view.cases[c], cases[c], status) + "; its damage counts as 0");
    }
  }
  if (total <= kMostRunWarnings) return warnings;
  warnings.resize(kFirstRunWarnings);
  std::string head = std::to_string(total) + " runs are not ok (";
  for (const RunStatus s : {RunStatus::too_short, RunStatus::no_data, RunStatus::no_swing}) {
    const std::size_t n = counts[static_cast<std::size_t>(s)];
    if (n > 0) head += std::string(status_name(s)) + " " + std::to_string(n) + ", ";
  }
  head.resize(head.size() - 2);
  head += "); the first " + std::to_string(kFirstRunWarnings) +
          " follow, the status of every run is in the outputs";
  warnings.insert(warnings.begin(), head);
  return warnings;
}

}  // namespace skaldur::batch
