#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "batch/compute.hpp"
#include "batch/job.hpp"
#include "batch/job_json.hpp"
#include "batch/outputs.hpp"
#include "batch/results.hpp"
#include "batch/run_warnings.hpp"
#include "python/arrays.hpp"
#include "python/bindings.hpp"
#include "python/errors.hpp"

namespace skaldur::python {
namespace {

// What to compute: every load case, those of a shard (K of N, K from 1) or
// the given indices into the job's load-case table.
struct Selection {
  std::optional<std::pair<int, int>> shard;
  std::optional<std::vector<std::size_t>> cases;
};

// A job read and computed, before any Python object is made.
struct Computed {
  std::optional<batch::BatchError> error;
  std::optional<std::string> bad_case;   // an index beyond the table
  batch::JobView view;                   // the cases computed only
  std::vector<batch::CaseResult> cases;  // done, in table order
  std::vector<std::size_t> which;        // their indices in the job's table
  std::vector<std::string> all_cases;    // the names of every load case of the job
  bool whole = false;                    // every load case of the job
  std::vector<std::string> warnings;
  std::vector<batch::HotspotSummary> summaries;  // for a whole job
};

std::vector<std::size_t> chosen(const Selection& selection, std::size_t count) {
  std::vector<std::size_t> which;
  if (selection.cases) return *selection.cases;
  for (std::size_t c = 0; c < count; ++c) {
    const auto [k, n] = selection.shard.value_or(std::pair{1, 1});
    if ((c + 1) % static_cast<std::size_t>(n) ==
        static_cast<std::size_t>(k) % static_cast<std::size_t>(n))
      which.push_back(c);
  }
  return which;
}

// The load cases of `which` only, in table order, each once.
void keep_only(Computed& out, std::vector<batch::CaseResult>&& cases) {
  for (const batch::CaseView& cv : out.view.cases)
    out.all_cases.push_back(cv.name);
  std::vector<batch::CaseView> views;
  for (const std::size_t c : out.which) {
    views.push_back(out.view.cases[c]);
    out.cases.push_back(std::move(cases[c]));
  }
  out.view.cases = std::move(views);
}

// The summaries of a whole job; as skaldur-batch, an error for finite
// yearly damages whose sum is not finite.
void summarise_whole(Computed& out) {
  out.summaries = batch::summarise(out.view, out.cases);
  for (std::size_t h = 0; h < out.summaries.size() && !out.error; ++h) {
    if (!std::isfinite(out.summaries[h].damage_per_year)) {
      out.error = batch::BatchError{batch::kExitFailed, "the damage per year of hotspot '" +
                                                            out.view.hotspots[h].name +
                                                            "' is not a finite number"};
    }
  }
}

// Reads and computes the job as `skaldur-batch run` does, up to the
// summaries; no Python object is touched (the GIL is free).
Computed compute_job(const std::string& path, int jobs, const Selection& selection) {
  Computed out;
  const auto catalogue = sncurve::builtin_catalogue();
  if (!catalogue) {
    out.error =
        batch::BatchError{batch::kExitFailed, "the built-in SN-curve catalogue could not be built"};
    return out;
  }
  auto job = batch::read_job(path, *catalogue, out.warnings);
  if (!job) {
    out.error = job.error();
    return out;
  }
  out.which = chosen(selection, job->load_cases.size());
  std::sort(out.which.begin(), out.which.end());
  out.which.erase(std::unique(out.which.begin(), out.which.end()), out.which.end());
  if (!out.which.empty() && out.which.back() >= job->load_cases.size()) {
    out.bad_case = "load case " + std::to_string(out.which.back()) + " is beyond the job's " +
                   std::to_string(job->load_cases.size()) + " load cases";
    return out;
  }
  out.whole = out.which.size() == job->load_cases.size();
  batch::ComputeOptions options;
  options.jobs = jobs;
  std::ostringstream progress;  // never written: no progress line
  auto cases = batch::compute(*job, out.which, options, progress);
  if (!cases) {
    out.error = cases.error();
    return out;
  }
  auto view = batch::view_of(batch::job_json(*job));
  if (!view) {
    out.error = view.error();
    return out;
  }
  out.view = std::move(view).value();
  if (auto bad = batch::first_non_finite(out.view, *cases)) {
    out.error = batch::BatchError{batch::kExitFailed, *bad};
    return out;
  }
  keep_only(out, std::move(cases).value());
  for (std::string& w : batch::run_warnings(out.view, out.cases))
    out.warnings.push_back(std::move(w));
  if (out.whole) summarise_whole(out);
  return out;
}

// summary.csv's columns, one dict per hotspot.
py::list summary_rows(const Computed& done) {
  const std::optional<double> n_eq = done.view.outputs.equivalent_range;
  py::list rows;
  for (std::size_t h = 0; h < done.summaries.size(); ++h) {
    const batch::HotspotView& hv = done.view.hotspots[h];
    const batch::HotspotSummary& s = done.summaries[h];
    py::dict row;
    row["hotspot"] = hv.name;
    row["curve"] = hv.curve;
    row["scf"] = hv.scf;
    row["thickness"] = hv.thickness;
    row["thickness_factor"] = hv.thickness_factor;
    row["dff"] = hv.dff;
    row["damage_per_year"] = s.damage_per_year;
    row["life_years"] = s.life_years;
    row["utilisation"] = s.utilisation;
    row["verdict"] = s.pass ? "pass" : "fail";
    row["governing_load_case"] = batch::governing_name(done.view, s);
    row["governing_share"] = s.governing_share;
    if (n_eq) row["equivalent_range"] = batch::equivalent_range(hv, s.damage_per_year, *n_eq);
    rows.append(row);
  }
  return rows;
}

// damage.csv's columns, one dict per run, hotspot by hotspot; plus the
// index of the load case in the job's table.
py::list damage_rows(const Computed& done) {
  const std::optional<double> n_eq = done.view.outputs.equivalent_range;
  py::list rows;
  for (std::size_t h = 0; h < done.view.hotspots.size(); ++h) {
    for (std::size_t c = 0; c < done.cases.size(); ++c) {
      const batch::CaseView& cv = done.view.cases[c];
      const batch::CaseResult& r = done.cases[c];
      const batch::Run& run = r.runs[h];
      const double weight =
          batch::yearly_weight(done.view.weight_kind, cv.weight, r.simulation_length);
      py::dict row;
      row["hotspot"] = done.view.hotspots[h].name;
      row["load_case"] = cv.name;
      row["case_index"] = done.which[c];
      row["file"] = cv.file;
      row["steps"] = r.steps;
      row["simulation_length"] = r.simulation_length;
      row["cycles"] = run.n_cycles;
      row["damage"] = run.damage;
      row["weight"] = weight;
      row["damage_per_year"] = weight * run.damage;
      row["status"] = std::string(batch::status_name(run.status));
      if (n_eq)
        row["equivalent_range"] = batch::equivalent_range(done.view.hotspots[h], run.damage, *n_eq);
      rows.append(row);
    }
  }
  return rows;
}

// The names of a matrix's edge columns, as matrix.csv heads them.
std::array<const char*, 4> edge_names(cycles::MatrixKind kind) {
  switch (kind) {
    case cycles::MatrixKind::range_mean:
      return {"range_low", "range_high", "mean_low", "mean_high"};
    case cycles::MatrixKind::from_to: return {"from_low", "from_high", "to_low", "to_high"};
    case cycles::MatrixKind::range: break;
  }
  return {"range_low", "range_high", nullptr, nullptr};
}

// matrix.csv's rows of the load cases (not the year's): each run's cells
// with their edges, cycles and yearly cycles.
py::list matrix_rows(const Computed& done) {
  py::list rows;
  if (!done.view.outputs.matrix) return rows;
  const cycles::MatrixSpec& shape = *done.view.outputs.matrix;
  const auto names = edge_names(shape.kind);
  for (std::size_t h = 0; h < done.view.hotspots.size(); ++h) {
    for (std::size_t c = 0; c < done.cases.size(); ++c) {
      const double weight = batch::yearly_weight(done.view.weight_kind, done.view.cases[c].weight,
                                                 done.cases[c].simulation_length);
      for (const cycles::MatrixCell& cell : done.cases[c].runs[h].matrix) {
        py::dict row;
        row["hotspot"] = done.view.hotspots[h].name;
        row["load_case"] = done.view.cases[c].name;
        row[names[0]] = cycles::edge_of(cell.first, shape.first_bin);
        row[names[1]] = cycles::edge_of(cell.first + 1, shape.first_bin);
        if (names[2] != nullptr) {
          row[names[2]] = cycles::edge_of(cell.second, shape.second_bin);
          row[names[3]] = cycles::edge_of(cell.second + 1, shape.second_bin);
        }
        row["cycles"] = static_cast<double>(cell.cycles);
        row["cycles_per_year"] = cell.cycles * weight;
        rows.append(row);
      }
    }
  }
  return rows;
}

// del.csv's rows; the year's only for a whole job (load case "year").
py::list del_rows(const Computed& done) {
  py::list rows;
  if (!done.view.outputs.del) return rows;
  for (const batch::DelRow& d : batch::del_rows(done.view, done.cases)) {
    if (!d.load_case && !done.whole) continue;
    py::dict row;
    row["hotspot"] = done.view.hotspots[d.hotspot].name;
    row["load_case"] = d.load_case ? done.view.cases[*d.load_case].name : std::string("year");
    row["m"] = d.m;
    row["n_eq"] = d.n_eq;
    row["del"] = d.del ? py::object(py::float_(*d.del)) : py::object(py::none());
    rows.append(row);
  }
  return rows;
}

Selection selection_of(py::object shard, py::object cases) {
  Selection selection;
  if (!shard.is_none() && !cases.is_none()) throw py::value_error("give shard or cases, not both");
  if (!shard.is_none()) {
    const py::tuple kn(py::isinstance<py::str>(shard) ? shard.attr("split")("/") : shard);
    if (py::len(kn) != 2) throw py::value_error("shard must be K/N or (K, N)");
    const int k = py::int_(kn[0]).cast<int>();
    const int n = py::int_(kn[1]).cast<int>();
    if (k < 1 || k > n) throw py::value_error("shard must be K/N with 1 <= K <= N");
    selection.shard = std::pair{k, n};
  }
  if (!cases.is_none()) {
    std::vector<std::size_t> which;
    for (py::handle c : py::iter(cases)) {
      const auto index = py::int_(py::reinterpret_borrow<py::object>(c)).cast<long long>();
      if (index < 0) throw py::index_error("a load case index is 0 or more");
      which.push_back(static_cast<std::size_t>(index));
    }
    selection.cases = std::move(which);
  }
  return selection;
}

py::dict run_job(py::object path_object, py::object jobs_object, py::object shard,
                 py::object cases) {
  const std::string path = path_argument(path_object, "path");
  const Selection selection = selection_of(shard, cases);
  int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  if (!jobs_object.is_none()) {
    jobs = jobs_object.cast<int>();
    if (jobs < 1) throw py::value_error("jobs must be 1 or more");
  }
  Computed done;
  {
    py::gil_scoped_release free;
    done = compute_job(path, jobs, selection);
  }
  if (done.bad_case) throw py::index_error(*done.bad_case);
  if (done.error) raise_batch_error(*done.error);
  py::dict out;
  out["title"] = done.view.title;
  out["design_life"] = done.view.design_life;
  out["weight_kind"] = std::string(batch::weight_column(done.view.weight_kind));
  out["hotspots"] = [&] {
    py::list names;
    for (const batch::HotspotView& h : done.view.hotspots)
      names.append(h.name);
    return names;
  }();
  out["cases"] = done.which;
  out["load_cases"] = done.all_cases;
  out["whole"] = done.whole;
  out["warnings"] = done.warnings;
  out["summary"] = done.whole ? py::object(summary_rows(done)) : py::object(py::none());
  out["runs"] = damage_rows(done);
  out["matrix"] = matrix_rows(done);
  out["dels"] = del_rows(done);
  return out;
}

}  // namespace

void bind_batch_job(py::module_& m) {
  m.def("_run_job", &run_job, py::arg("path"), py::arg("jobs") = py::none(),
        py::arg("shard") = py::none(), py::arg("cases") = py::none(),
        "The rows of a batch job's results as dicts; skaldur.run_job wraps them.");
}

}  // namespace skaldur::python
