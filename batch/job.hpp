#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/errors.hpp"
#include "cycles/cycle.hpp"
#include "cycles/matrix.hpp"
#include "damage/assess.hpp"
#include "damage/cycle_assessment.hpp"
#include "damage/damage.hpp"
#include "damage/mean_stress.hpp"
#include "files/unit_table.hpp"
#include "sncurve/catalogue.hpp"
#include "sncurve/record.hpp"

namespace skaldur::batch {

// How the load-case table weighs each record into the year.
enum class WeightKind { probability, hours_per_year, occurrences_per_year };

// The load-case table's header name of a weight kind.
[[nodiscard]] std::string_view weight_column(WeightKind kind);

// The weight kind a header name stands for; nothing for another name.
[[nodiscard]] std::optional<WeightKind> weight_kind(std::string_view column);

struct LoadCase {
  std::string name;
  std::string file;            // as written in the table
  std::filesystem::path path;  // the file to open
  double weight = 0.0;         // the table's p, H or n
  double first_time = 0.0;     // as question 3
  double last_time = 1.0e30;   // as question 4
  std::int64_t line = 0;       // of the table
};

// A column of the series files: its number (time is column 1), or the name
// the files' header gives it (number 0).
struct ColumnRef {
  int number = 0;
  std::string name;
};

struct Curve {
  std::string label;  // the catalogue's display name, or the definition file's title
  int number = 0;     // in the catalogue; 0 for a definition file
  std::string file;   // the definition file as written in the job
  sncurve::Record record{};
};

// How a hotspot's damage is summed; the job's top level gives the defaults,
// a hotspot may override each.
struct DamageSettings {
  damage::DamageMethod method = damage::DamageMethod::blocks;
  damage::MeanStress mean_stress;  // exact damage only
  double static_stress = 0.0;      // MPa, added to every stress value of the hotspot

  friend bool operator==(const DamageSettings&, const DamageSettings&) = default;
};

// `[outputs] del`: the exponents, and N_eq as f_eq x the simulation length
// (f_eq in Hz) or a fixed number of cycles.
struct DelRequest {
  std::vector<double> m;
  double f_eq = 1.0;
  std::optional<double> n_eq;  // when given, instead of f_eq

  friend bool operator==(const DelRequest&, const DelRequest&) = default;
};

// The `[outputs]` table: what the run works out besides the damage.
struct OutputRequest {
  std::optional<cycles::MatrixSpec> matrix;
  std::optional<DelRequest> del;
  std::optional<double> equivalent_range;  // its N_eq (1e7 by default)

  friend bool operator==(const OutputRequest&, const OutputRequest&) = default;
};

// A stress component of a hotspot: a column and its factor.
struct Component {
  ColumnRef column;
  double factor = 1.0;
  std::int64_t line = 0;  // of the job file
  std::string key;        // as messages name it: "components[2].column", or a joint's "axial"
};

struct Hotspot {
  std::string name;
  ColumnRef column;                   // when the hotspot reads one column
  std::vector<Component> components;  // when it combines several (then `column` is unused)
  std::string joint;                  // the [[joint]] a point comes from; empty for a [[hotspot]]
  Curve curve;
  double scf = 1.0;
  double thickness = 0.0;
  double dff = 1.0;
  std::int32_t blocks = damage::kMostBlocks;
  DamageSettings settings;
  std::int64_t line = 0;         // of the job file
  std::int64_t column_line = 0;  // of its column
};

// Whom a message about the hotspot names: "hotspot 'NAME'", or "joint
// 'JOINT'" for a point of a joint.
[[nodiscard]] std::string subject(const Hotspot& h);

// The thickness and SCF the damage of the hotspot takes. For a hotspot with
// components, the largest absolute factor times the effective SCF picks the
// thickness exponent; a hotspot that reads one column leaves that to its SCF.
[[nodiscard]] damage::CurveOpt curve_opt_of(const Hotspot& h);

// A file the job reads besides the records (the job file, the load-case
// table, each curve file): its name as messages show it, its identity on disk
// (no output may replace it) and the fingerprint of its bytes.
struct InputFile {
  std::string shown;
  files::FileIdentity identity;
  std::uint64_t fingerprint = 0;
};

struct Job {
  std::string file_name;  // the job file's name, without its folder
  std::filesystem::path path;
  std::string title;
  double design_life = 0.0;
  std::optional<double> dff;  // required only when a hotspot gives none
  std::string unit = "Pa";
  double force_unit_factor = 1.0e-6;
  std::int32_t blocks = damage::kMostBlocks;
  cycles::Conventions conventions;
  DamageSettings settings;  // the defaults of the hotspots
  OutputRequest outputs;
  std::string load_case_table;  // as written in the job
  WeightKind weight_kind = WeightKind::probability;
  std::vector<LoadCase> load_cases;
  std::vector<Hotspot> hotspots;
  std::vector<InputFile> inputs;  // every file read besides the records, each once
};

// Reads the job file, its load-case table and every curve it names. Warnings
// (probabilities that do not add up to 1, hours beyond a year, blocks outside
// 1 ... kMostBlocks, an SCF that counts as 1.0) are appended to `warnings`.
[[nodiscard]] Outcome<Job> read_job(const std::filesystem::path& path,
                                    const sncurve::Catalogue& catalogue,
                                    std::vector<std::string>& warnings);

}  // namespace skaldur::batch
