#include "batch/csv_fields.hpp"
#include "batch/outputs.hpp"
#include "damage/equivalent_load.hpp"

namespace skaldur::batch {
namespace {

// The sum of exponent i of a run; a run that is not ok counted no cycles,
// and may carry no sums at all.
double sum_of(const Run& run, std::size_t i) {
  return i < run.del_sums.size() ? run.del_sums[i] : 0.0;
}

// One row; the DEL field stays empty when n_eq is not above 0 (a record
// that spans no time has no equivalent cycles).
void append_del(std::string& text, std::string_view hotspot, std::string_view load_case, double m,
                double n_eq, double sum) {
  if (n_eq > 0.0) {
    append_row(text, hotspot, load_case, m, n_eq, damage::damage_equivalent_range(sum, m, n_eq));
  } else {
    append_row(text, hotspot, load_case, m, n_eq, std::string_view());
  }
}

}  // namespace

// Per hotspot: each load case's DEL for each exponent, its n_eq f_eq x the
// record's simulation length (or the fixed n_eq); then the year's, from the
// cases' sums weighed into the year in table order, its n_eq f_eq x the
// 31 536 000 s of the year (or the fixed n_eq).
std::string del_csv(const JobView& view, const std::vector<CaseResult>& cases) {
  const DelRequest request = view.outputs.del.value_or(DelRequest{});
  const std::vector<double>& exponents = request.m;
  std::string text = "hotspot,load_case,m,n_eq,del\n";
  for (std::size_t h = 0; h < view.hotspots.size(); ++h) {
    const std::string& hotspot = view.hotspots[h].name;
    std::vector<double> year(exponents.size(), 0.0);
    for (std::size_t c = 0; c < cases.size(); ++c) {
      const CaseView& cv = view.cases[c];
      const CaseResult& r = cases[c];
      const double n_eq = request.n_eq.value_or(request.f_eq * r.simulation_length);
      const double weight = yearly_weight(view.weight_kind, cv.weight, r.simulation_length);
      for (std::size_t i = 0; i < exponents.size(); ++i) {
        const double sum = sum_of(r.runs[h], i);
        append_del(text, hotspot, cv.name, exponents[i], n_eq, sum);
        year[i] += weight * sum;
      }
    }
    const double n_eq_year =
        request.n_eq.value_or(request.f_eq * static_cast<double>(damage::kSecondsPerYear));
    for (std::size_t i = 0; i < exponents.size(); ++i)
      append_del(text, hotspot, "year", exponents[i], n_eq_year, year[i]);
  }
  return text;
}

}  // namespace skaldur::batch
