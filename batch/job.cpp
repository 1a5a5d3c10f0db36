#include "batch/job.hpp"

#include <unistd.h>

#include <toml++/toml.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <set>

#include "batch/input_files.hpp"
#include "batch/job_components.hpp"
#include "batch/job_fields.hpp"
#include "batch/job_options.hpp"
#include "batch/load_cases.hpp"
#include "damage/assess.hpp"
#include "sncurve/definition.hpp"
#include "textio/fingerprint.hpp"
#include "textio/line_error.hpp"
#include "textio/lines.hpp"
#include "textio/text.hpp"

namespace skaldur::batch {
namespace {

// The hours of the 365-day year the damage is scaled to.
constexpr std::int64_t kHoursPerYear = damage::kSecondsPerYear / 3600;

// Adds `file` to the job's inputs unless it is there already.
void add_input(std::vector<InputFile>& inputs, InputFile file) {
  for (const InputFile& known : inputs) {
    if (known.identity == file.identity) return;
  }
  inputs.push_back(std::move(file));
}

// Reads a definition file into the curve's record and takes its title as the
// label; the file joins `inputs`.
std::optional<BatchError> read_curve_file(const std::filesystem::path& path,
                                          const std::string& shown, const std::string& where,
                                          Curve& curve, std::vector<InputFile>& inputs) {
  const std::string what = "'" + shown + "'";
  auto input = open_input(path, what);
  if (!input) return BatchError{kExitBadInput, where + ": " + input.error().message};
  const auto bytes = read_whole(*input, what, kMostCurveBytes);
  if (!bytes) return BatchError{kExitBadInput, where + ": " + bytes.error().message};
  if (::lseek(input->fd(), 0, SEEK_SET) != 0) {
    return BatchError{kExitBadInput,
                      where + ": cannot read '" + shown + "': " + std::strerror(errno)};
  }
  add_input(inputs, {shown, input->identity(), textio::fingerprint_of(*bytes)});
  textio::LineReader lines(input->fd());
  auto title = sncurve::read_definition(lines, curve.record);
  if (!title) {
    return BatchError{kExitBadInput, textio::describe(title.error(), shown) +
                                         " (the curve_file of " + where + ")"};
  }
  curve.label = std::string(textio::trimmed(*title));
  return std::nullopt;
}

// The catalogue curve `curve` names by its number or by its name.
std::optional<BatchError> read_catalogue_curve(const Fields& f, const toml::node& curve,
                                               const sncurve::Catalogue& catalogue, Curve& out) {
  int n = 0;
  if (curve.is_integer()) {
    const std::int64_t v = curve.as_integer()->get();
    if (v >= 1 && v <= catalogue.count) n = static_cast<int>(v);
  } else if (curve.is_string()) {
    const auto found = sncurve::find_curve(catalogue, curve.as_string()->get());
    if (found) n = *found;
  } else {
    return f.error("curve", "neither a curve number nor a curve name");
  }
  if (n == 0) {
    return f.error("curve", "no such curve in the catalogue (`skaldur-batch curves` lists them)");
  }
  if (!sncurve::copy_curve(catalogue, n, out.record)) {
    return f.error("curve", "the catalogue's curve does not fit a record");
  }
  out.number = n;
  out.label = std::string(textio::trimmed(sncurve::display_name(catalogue, n).value()));
  return std::nullopt;
}

// The hotspot's curve: `curve` from the catalogue, or `curve_file` beside the job.
std::optional<BatchError> read_curve(const Fields& f, Job& job, const std::string& file,
                                     const sncurve::Catalogue& catalogue, Hotspot& h) {
  const toml::node* curve = f.get("curve");
  const toml::node* curve_file = f.get("curve_file");
  if ((curve == nullptr) == (curve_file == nullptr)) {
    return BatchError{kExitBadInput, place(file, h.line) + ": " + subject(h) +
                                         " needs either `curve` or `curve_file`"};
  }
  if (curve != nullptr) return read_catalogue_curve(f, *curve, catalogue, h.curve);
  auto text = f.text("curve_file", std::nullopt);
  if (!text) return text.error();
  h.curve.file = *text;
  const std::filesystem::path path = job.path.parent_path() / h.curve.file;
  return read_curve_file(path, path.string(), place(file, line_of(*curve_file), "curve_file"),
                         h.curve, job.inputs);
}

// The hotspot's `scf`, 1.0 when absent.
Outcome<double> read_scf(const Fields& f, std::vector<std::string>& warnings) {
  auto scf = f.real("scf", 1.0);
  if (!scf) return scf;
  if (*scf <= 0.0) return textio::fail(f.error("scf", "must be above 0"));
  f.note_tiny_scf(*scf, warnings);
  return scf;
}

// thickness, dff and blocks, the last two by default the job's; a hotspot
// without dff needs the job's.
std::optional<BatchError> read_factors(const Fields& f, const Job& job, Hotspot& h,
                                       std::vector<std::string>& warnings) {
  auto thickness = f.real("thickness", 0.0);
  if (!thickness) return thickness.error();
  if (f.get("dff") == nullptr && !job.dff) {
    return BatchError{kExitBadInput,
                      place(f.file(), h.line) + ": " + subject(h) +
                          " has no dff, nor has the job: the job's `dff` is required"};
  }
  auto dff = f.real("dff", job.dff);
  if (!dff) return dff.error();
  auto blocks = f.blocks(job.blocks, warnings);
  if (!blocks) return blocks.error();
  if (*thickness < 0.0) return f.error("thickness", "must not be below 0");
  if (*dff <= 0.0) return f.error("dff", "must be above 0");
  h.thickness = *thickness;
  h.dff = *dff;
  h.blocks = *blocks;
  return std::nullopt;
}

// What a [[hotspot]] and each point of a [[joint]] read alike: the curve,
// thickness, dff, blocks and the damage settings. `top` is the job's top level.
std::optional<BatchError> read_common(const Fields& top, const Fields& f, Job& job,
                                      const sncurve::Catalogue& catalogue, Hotspot& h,
                                      std::vector<std::string>& warnings) {
  if (auto e = read_curve(f, job, f.file(), catalogue, h)) return e;
  if (auto e = read_factors(f, job, h, warnings)) return e;
  return read_hotspot_settings(top, f, job, h);
}

Outcome<Hotspot> read_hotspot(const Fields& top, const Fields& f, Job& job,
                              const sncurve::Catalogue& catalogue,
                              std::vector<std::string>& warnings) {
  if (auto e =
          f.unknown_key({"name", "column", "components", "curve", "curve_file", "scf", "thickness",
                         "dff", "blocks", "damage", "mean_stress", "static_stress"},
                        "[[hotspot]]")) {
    return textio::fail(*e);
  }
  Hotspot h;
  h.line = f.line();
  auto name = f.text("name", std::nullopt);
  if (!name) return textio::fail(name.error());
  if (name->empty()) return textio::fail(f.error("name", "empty"));
  h.name = *name;
  if (auto e = read_stress(f, h)) return textio::fail(*e);
  auto scf = read_scf(f, warnings);
  if (!scf) return textio::fail(scf.error());
  h.scf = *scf;
  if (auto e = read_common(top, f, job, catalogue, h, warnings)) return textio::fail(*e);
  return h;
}

// The eight points of a [[joint]] table.
Outcome<std::vector<Hotspot>> read_joint_points(const Fields& top, const Fields& f, Job& job,
                                                const sncurve::Catalogue& catalogue,
                                                std::vector<std::string>& warnings) {
  auto joint = read_joint(f);
  if (!joint) return textio::fail(joint.error());
  Hotspot common;
  common.name = joint->name;
  common.joint = joint->name;
  common.line = joint->line;
  if (auto e = read_common(top, f, job, catalogue, common, warnings)) return textio::fail(*e);
  return joint_points(*joint, common);
}

// The job file as a TOML table, or why it cannot be had; the file joins `inputs`.
Outcome<toml::table> parse_job_file(const std::filesystem::path& path, const std::string& file,
                                    std::vector<InputFile>& inputs) {
  const auto read = read_input(path, "the job file '" + file + "'", kMostTableBytes);
  if (!read) return textio::fail(read.error());
  add_input(inputs, {file, read->identity, textio::fingerprint_of(read->bytes)});
  try {
    return toml::parse(read->bytes, file);
  } catch (const toml::parse_error& e) {
    return bad_input(place(file, static_cast<std::int64_t>(e.source().begin.line)) + ": " +
                     std::string(e.description()));
  }
}

// The job's own keys: title, design life, dff, unit and blocks.
std::optional<BatchError> read_settings(const Fields& f, Job& job,
                                        std::vector<std::string>& warnings) {
  auto title = f.text("title", std::string());
  if (!title) return title.error();
  job.title = *title;
  auto life = f.real("design_life", std::nullopt);
  if (!life) return life.error();
  if (*life <= 0.0) return f.error("design_life", "must be above 0 years");
  job.design_life = *life;
  if (f.get("dff") != nullptr) {
    auto dff = f.real("dff", std::nullopt);
    if (!dff) return dff.error();
    if (*dff <= 0.0) return f.error("dff", "must be above 0");
    job.dff = *dff;
  }
  auto unit = f.text("unit", std::string("Pa"));
  if (!unit) return unit.error();
  if (textio::squeezed_upper(*unit) == "MPA") {
    job.unit = "MPa";
    job.force_unit_factor = 1.0;
  } else if (textio::squeezed_upper(*unit) == "PA") {
    job.unit = "Pa";
    job.force_unit_factor = 1.0e-6;
  } else {
    return f.error("unit", "must be \"MPa\" or \"Pa\"");
  }
  auto blocks = f.blocks(damage::kMostBlocks, warnings);
  if (!blocks) return blocks.error();
  job.blocks = *blocks;
  return std::nullopt;
}

// The load-case table the job names; warns when its probabilities do not add up to 1.
std::optional<BatchError> read_job_cases(const Fields& f, const std::string& file, Job& job,
                                         std::vector<std::string>& warnings) {
  auto table = f.text("load_cases", std::nullopt);
  if (!table) return table.error();
  job.load_case_table = *table;
  const std::filesystem::path table_path = job.path.parent_path() / job.load_case_table;
  InputFile table_file;
  auto cases = read_load_cases(table_path, table_path.string(), job.weight_kind, table_file);
  if (!cases) {
    BatchError e = cases.error();
    e.message += " (the load_cases of " + file + ")";
    return e;
  }
  add_input(job.inputs, std::move(table_file));
  job.load_cases = std::move(cases).value();
  double sum = 0.0;
  for (const LoadCase& c : job.load_cases)
    sum += c.weight;
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", sum);
  if (job.weight_kind == WeightKind::probability && std::fabs(sum - 1.0) > 1.0e-6) {
    warnings.push_back(table_path.string() + ": the probabilities add up to " + text + ", not 1");
  }
  if (job.weight_kind == WeightKind::hours_per_year &&
      sum > static_cast<double>(kHoursPerYear) * (1.0 + 1.0e-6)) {
    warnings.push_back(table_path.string() + ": the hours_per_year add up to " + text +
                       ", more than the " + std::to_string(kHoursPerYear) + " hours of a year");
  }
  return std::nullopt;
}

// The tables of `key` ([[hotspot]] or [[joint]]); none when the key is absent.
Outcome<const toml::array*> tables_of(const Fields& f, std::string_view key) {
  const toml::node* node = f.get(key);
  if (node == nullptr) return static_cast<const toml::array*>(nullptr);
  const toml::array* list = node->as_array();
  if (list == nullptr || list->empty() || !list->is_array_of_tables()) {
    return textio::fail(f.error(key, "not [[" + std::string(key) + "]] tables"));
  }
  return list;
}

// Every [[hotspot]] table, then the points of every [[joint]] table, each
// hotspot named once.
std::optional<BatchError> read_hotspots(const Fields& f, const std::string& file,
                                        const sncurve::Catalogue& catalogue, Job& job,
                                        std::vector<std::string>& warnings) {
  auto hotspots = tables_of(f, "hotspot");
  if (!hotspots) return hotspots.error();
  auto joints = tables_of(f, "joint");
  if (!joints) return joints.error();
  if (*hotspots == nullptr && *joints == nullptr) {
    return f.error("hotspot", "the job needs at least one [[hotspot]] or [[joint]] table");
  }
  std::set<std::string> names;
  const auto add = [&](Hotspot h) -> std::optional<BatchError> {
    if (!names.insert(h.name).second) {
      return BatchError{kExitBadInput,
                        place(file, h.line, "name") + ": hotspot '" + h.name + "' is named twice"};
    }
    job.hotspots.push_back(std::move(h));
    return std::nullopt;
  };
  for (std::size_t i = 0; *hotspots != nullptr && i < (*hotspots)->size(); ++i) {
    const Fields table(*(*hotspots)->get(i)->as_table(), file);
    auto h = read_hotspot(f, table, job, catalogue, warnings);
    if (!h) return h.error();
    if (auto e = add(std::move(h).value())) return e;
  }
  for (std::size_t i = 0; *joints != nullptr && i < (*joints)->size(); ++i) {
    const Fields table(*(*joints)->get(i)->as_table(), file);
    auto points = read_joint_points(f, table, job, catalogue, warnings);
    if (!points) return points.error();
    for (Hotspot& h : points.value()) {
      if (auto e = add(std::move(h))) return e;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string place(std::string_view file, std::int64_t line, std::string_view field) {
  std::string text(file);
  if (line > 0) text += ", line " + std::to_string(line);
  if (!field.empty()) text += ", field '" + std::string(field) + "'";
  return text;
}

std::string subject(const Hotspot& h) {
  return h.joint.empty() ? "hotspot '" + h.name + "'" : "joint '" + h.joint + "'";
}

damage::CurveOpt curve_opt_of(const Hotspot& h) {
  damage::CurveOpt opt{h.thickness, h.scf, 0.0};
  for (const Component& c : h.components)
    opt.exponent_scf = std::max(opt.exponent_scf, std::fabs(c.factor) * damage::effective_scf(opt));
  return opt;
}

std::string_view weight_column(WeightKind kind) {
  switch (kind) {
    case WeightKind::probability: return "probability";
    case WeightKind::hours_per_year: return "hours_per_year";
    case WeightKind::occurrences_per_year: return "occurrences_per_year";
  }
  return "probability";
}

std::optional<WeightKind> weight_kind(std::string_view column) {
  for (const WeightKind k :
       {WeightKind::probability, WeightKind::hours_per_year, WeightKind::occurrences_per_year}) {
    if (column == weight_column(k)) return k;
  }
  return std::nullopt;
}

Outcome<Job> read_job(const std::filesystem::path& path, const sncurve::Catalogue& catalogue,
                      std::vector<std::string>& warnings) {
  const std::string file = path.string();
  Job job;
  const auto root = parse_job_file(path, file, job.inputs);
  if (!root) return textio::fail(root.error());
  const Fields f(*root, file);
  if (auto e = f.unknown_key(
          {"title", "design_life", "dff", "load_cases", "unit", "blocks", "ends", "residue",
           "damage", "mean_stress", "static_stress", "outputs", "hotspot", "joint"},
          "the job")) {
    return textio::fail(*e);
  }
  job.path = path;
  job.file_name = path.filename().string();
  if (auto e = read_settings(f, job, warnings)) return textio::fail(*e);
  if (auto e = read_job_options(f, job)) return textio::fail(*e);
  if (auto e = read_job_cases(f, file, job, warnings)) return textio::fail(*e);
  if (auto e = read_hotspots(f, file, catalogue, job, warnings)) return textio::fail(*e);
  return job;
}

}  // namespace skaldur::batch
