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

DelRow row_of(std::size_t hotspot, std::optional<std::size_t> load_case, double m, double n_eq,
              double sum) {
  DelRow row{hotspot, load_case, m, n_eq, std::nullopt};
  if (n_eq > 0.0) row.del = damage::damage_equivalent_range(sum, m, n_eq);
  return row;
}

}  // namespace

std::vector<DelRow> del_rows(const JobView& view, const std::vector<CaseResult>& cases) {
  const DelRequest request = view.outputs.del.value_or(DelRequest{});
  const std::vector<double>& exponents = request.m;
  std::vector<DelRow> rows;
  for (std::size_t h = 0; h < view.hotspots.size(); ++h) {
    std::vector<double> year(exponents.size(), 0.0);
    for (std::size_t c = 0; c < cases.size(); ++c) {
      const CaseResult& r = cases[c];
      const double n_eq = request.n_eq.value_or(request.f_eq * r.simulation_length);
      const double weight =
          yearly_weight(view.weight_kind, view.cases[c].weight, r.simulation_length);
      for (std::size_t i = 0; i < exponents.size(); ++i) {
        const double sum = sum_of(r.runs[h], i);
        rows.push_back(row_of(h, c, exponents[i], n_eq, sum));
        year[i] += weight * sum;
      }
    }
    const double n_eq_year =
        request.n_eq.value_or(request.f_eq * static_cast<double>(damage::kSecondsPerYear));
    for (std::size_t i = 0; i < exponents.size(); ++i)
      rows.push_back(row_of(h, std::nullopt, exponents[i], n_eq_year, year[i]));
  }
  return rows;
}

std::string del_csv(const JobView& view, const std::vector<CaseResult>& cases) {
  std::string text = "hotspot,load_case,m,n_eq,del\n";
  for (const DelRow& row : del_rows(view, cases)) {
    const std::string_view load_case =
        row.load_case ? std::string_view(view.cases[*row.load_case].name) : "year";
    if (row.del) {
      append_row(text, view.hotspots[row.hotspot].name, load_case, row.m, row.n_eq, *row.del);
    } else {
      append_row(text, view.hotspots[row.hotspot].name, load_case, row.m, row.n_eq,
                 std::string_view());
    }
  }
  return text;
}

}  // namespace skaldur::batch
