#include <span>

#include "batch/csv_fields.hpp"
#include "batch/outputs.hpp"

namespace skaldur::batch {
namespace {

using cycles::MatrixCell;
using cycles::MatrixKind;
using cycles::MatrixSpec;

std::string_view edge_columns(MatrixKind kind) {
  switch (kind) {
    case MatrixKind::range_mean: return "range_low,range_high,mean_low,mean_high";
    case MatrixKind::from_to: return "from_low,from_high,to_low,to_high";
    case MatrixKind::range: break;
  }
  return "range_low,range_high";
}

// One row: the cell's bins as their edges, k * w to (k + 1) * w; a range
// matrix shows its first bins only.
void append_cell(std::string& text, std::string_view hotspot, std::string_view load_case,
                 const MatrixSpec& shape, const MatrixCell& cell, double per_year) {
  const double first_low = cycles::edge_of(cell.first, shape.first_bin);
  const double first_high = cycles::edge_of(cell.first + 1, shape.first_bin);
  if (shape.kind == MatrixKind::range) {
    append_row(text, hotspot, load_case, first_low, first_high, cell.cycles, per_year);
    return;
  }
  append_row(text, hotspot, load_case, first_low, first_high,
             cycles::edge_of(cell.second, shape.second_bin),
             cycles::edge_of(cell.second + 1, shape.second_bin), cell.cycles, per_year);
}

bool before(const MatrixCell& a, const MatrixCell& b) {
  return a.first < b.first || (a.first == b.first && a.second < b.second);
}

// The year rows: `total` holds the cases' cycles added cell by cell,
// `per_year` the same cells weighted; a cell missing from `per_year` (every
// case that holds it weighs 0) has 0 cycles a year.
void append_year(std::string& text, std::string_view hotspot, const MatrixSpec& shape,
                 std::span<const MatrixCell> total, std::span<const MatrixCell> per_year) {
  auto weighted = per_year.begin();
  for (const MatrixCell& cell : total) {
    while (weighted != per_year.end() && before(*weighted, cell))
      ++weighted;
    const bool same = weighted != per_year.end() && weighted->first == cell.first &&
                      weighted->second == cell.second;
    append_cell(text, hotspot, "year", shape, cell, same ? weighted->cycles : 0.0);
  }
}

}  // namespace

// Each load case's cells with their yearly cycles (cycles x the case's
// yearly weight), then the year: every cell of the hotspot's cases, its
// cycles and yearly cycles summed over the cases in table order.
std::string matrix_csv(const JobView& view, const std::vector<CaseResult>& cases) {
  const MatrixSpec shape = view.outputs.matrix.value_or(MatrixSpec{});
  std::string text = "hotspot,load_case,";
  text += edge_columns(shape.kind);
  text += ",cycles,cycles_per_year\n";
  for (std::size_t h = 0; h < view.hotspots.size(); ++h) {
    const std::string& hotspot = view.hotspots[h].name;
    std::vector<MatrixCell> total;
    std::vector<MatrixCell> per_year;
    for (std::size_t c = 0; c < cases.size(); ++c) {
      const CaseView& cv = view.cases[c];
      const Run& run = cases[c].runs[h];
      const double weight = yearly_weight(view.weight_kind, cv.weight, cases[c].simulation_length);
      for (const MatrixCell& cell : run.matrix)
        append_cell(text, hotspot, cv.name, shape, cell, cell.cycles * weight);
      cycles::add_cells(total, run.matrix, 1.0);
      cycles::add_cells(per_year, run.matrix, weight);
    }
    append_year(text, hotspot, shape, total, per_year);
  }
  return text;
}

}  // namespace skaldur::batch
