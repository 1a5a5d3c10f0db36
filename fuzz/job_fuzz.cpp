// Fuzz target: the batch's job reader. The input is split at its first two
// form feeds into a job file (TOML), a load-case table and an SN-curve
// definition file, written as job.toml, cases.csv and curve.sn into a fresh
// folder, where batch::read_job reads the job.
//
// The job names the table and the curve files itself. A job that names one
// outside the folder (an absolute name, or one through "..") is not read, so
// that a run depends on its input alone and never on the machine's files.
// The names are taken from the job as toml++ parses it, so that no escape in
// a TOML string can hide one.
#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "batch/job.hpp"
#include "fuzz/support.hpp"
#include "sncurve/catalogue.hpp"

namespace {

namespace fs = std::filesystem;
using skaldur::fuzz::check;
using namespace skaldur;

bool inside_the_folder(const toml::node* name) {
  if (name == nullptr || !name->is_string()) return true;  // the reader opens nothing
  const fs::path path(name->as_string()->get());
  if (path.has_root_path()) return false;
  for (const fs::path& part : path) {
    if (part == "..") return false;
  }
  return true;
}

// Whether every file the job names lies in the folder; true for a job that
// does not parse, since the reader then opens nothing more.
bool names_only_the_folder(const fs::path& job_file) {
  toml::table root;
  try {
    root = toml::parse_file(job_file.string());
  } catch (const toml::parse_error&) {
    return true;
  }
  if (!inside_the_folder(root.get("load_cases"))) return false;
  for (const char* const key : {"hotspot", "joint"}) {
    const toml::array* tables = root[key].as_array();
    if (tables == nullptr) continue;
    for (const toml::node& node : *tables) {
      const toml::table* table = node.as_table();
      if (table != nullptr && !inside_the_folder(table->get("curve_file"))) return false;
    }
  }
  return true;
}

bool names_a_column(const batch::ColumnRef& column) {
  return column.number >= 2 || (column.number == 0 && !column.name.empty());
}

// A hotspot reads one column or combines finite multiples of several; a
// point of a joint has an SCF of 1 and two or three components, the axial
// one first and above 0.
void check_stress(const batch::Hotspot& h) {
  if (h.components.empty()) {
    check(names_a_column(h.column), "a hotspot without a stress column");
    check(h.joint.empty(), "a point of a joint without components");
    return;
  }
  for (const batch::Component& c : h.components) {
    check(names_a_column(c.column), "a component without a stress column");
    check(std::isfinite(c.factor), "a component's factor that is not finite");
  }
  if (h.joint.empty()) return;
  check(h.scf == 1.0 && h.name.starts_with(h.joint + "-"), "a point's name or SCF");
  check(h.components.size() >= 2 && h.components.size() <= 3 && h.components[0].key == "axial" &&
            h.components[0].factor > 0.0,
        "a point's components");
}

void check_cases(const batch::Job& job) {
  check(!job.load_cases.empty(), "a job without load cases");
  std::set<std::string> names;
  for (const batch::LoadCase& c : job.load_cases) {
    check(!c.name.empty() && !c.file.empty(), "a load case without a name or a file");
    check(names.insert(c.name).second, "a load case named twice");
    check(std::isfinite(c.weight) && c.weight >= 0.0, "a weight that is not a number of 0 or more");
    check(std::isfinite(c.first_time) && std::isfinite(c.last_time), "a time that is not finite");
  }
}

void check_hotspots(const batch::Job& job, const sncurve::Catalogue& catalogue) {
  check(!job.hotspots.empty(), "a job without hotspots");
  std::set<std::string> names;
  for (const batch::Hotspot& h : job.hotspots) {
    check(!h.name.empty() && names.insert(h.name).second, "a hotspot unnamed or named twice");
    check_stress(h);
    check(h.scf > 0.0 && h.thickness >= 0.0 && h.dff > 0.0, "a factor out of its range");
    const batch::Curve& curve = h.curve;
    if (curve.number == 0) {
      check(!curve.file.empty(), "a curve neither from the catalogue nor from a file");
      check(curve.record[0] == 2.0 && curve.record[4] == 3.0, "a file curve's header");
      continue;
    }
    const auto block = sncurve::curve_block(catalogue, curve.number);
    check(block.ok(), "a catalogue curve that the catalogue does not hold");
    check(std::equal(block->begin(), block->end(), curve.record.begin()),
          "a catalogue curve that is not the catalogue's");
  }
}

bool positive(double x) {
  return std::isfinite(x) && x > 0.0;
}

// The options as the reader takes them: every number in its range, and
// mean-stress correction only where the damage is exact.
void check_options(const batch::Job& job) {
  for (const batch::Hotspot& h : job.hotspots) {
    const batch::DamageSettings& s = h.settings;
    check(std::isfinite(s.static_stress), "a static stress that is not finite");
    check(s.mean_stress.method == damage::MeanStressMethod::none ||
              s.method == damage::DamageMethod::exact,
          "mean-stress correction with block damage");
    check(s.mean_stress.p >= 0.0 && s.mean_stress.p <= 1.0, "a dnv p outside 0 ... 1");
    check(s.mean_stress.method != damage::MeanStressMethod::goodman ||
              positive(s.mean_stress.ultimate),
          "a goodman ultimate strength not above 0");
  }
  const batch::OutputRequest& o = job.outputs;
  check(!o.matrix || (positive(o.matrix->first_bin) && positive(o.matrix->second_bin)),
        "a matrix bin not above 0");
  if (o.del) {
    check(!o.del->m.empty() && std::all_of(o.del->m.begin(), o.del->m.end(), positive),
          "DEL exponents empty or not above 0");
    check(positive(o.del->f_eq) && (!o.del->n_eq || positive(*o.del->n_eq)),
          "a DEL f_eq or n_eq not above 0");
  }
  check(!o.equivalent_range || positive(*o.equivalent_range),
        "an equivalent-range N_eq not above 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const sncurve::Catalogue catalogue = sncurve::builtin_catalogue().value();
  std::string_view input = fuzz::as_text(data, size);
  const std::string_view job_text = fuzz::take_part(input);
  const std::string_view table = fuzz::take_part(input);
  const std::string_view curve = input;

  const fuzz::WorkFolder folder;
  const fs::path job_file = folder.file("job.toml");
  fuzz::write_file(job_file, job_text);
  fuzz::write_file(folder.file("cases.csv"), table);
  fuzz::write_file(folder.file("curve.sn"), curve);
  if (!names_only_the_folder(job_file)) return 0;

  std::vector<std::string> warnings;
  const auto job = batch::read_job(job_file, catalogue, warnings);
  if (!job) {
    check(job.error().status == batch::kExitBadInput, "a refused job that is not bad input");
    check(job.error().message.find(job_file.string()) != std::string::npos,
          "a message that does not name the job file");
    return 0;
  }
  check(std::isfinite(job->design_life) && job->design_life > 0.0, "the design life");
  check(!job->dff || (std::isfinite(*job->dff) && *job->dff > 0.0), "the job's dff");
  check(job->force_unit_factor == (job->unit == "MPa" ? 1.0 : 1.0e-6), "the unit's factor");
  for (const std::string& w : warnings) {
    check(w.starts_with(job_file.parent_path().string()),
          "a warning that names no file of the job");
  }
  check_cases(*job);
  check_hotspots(*job, catalogue);
  check_options(*job);
  return 0;
}
