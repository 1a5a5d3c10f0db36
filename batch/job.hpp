#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "sncurve/catalogue.hpp"
#include "sncurve/record.hpp"
#include "textio/result.hpp"

namespace skaldur::batch {

// Exit statuses of skaldur-batch.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // a computation or write failure
inline constexpr int kExitBadInput = 2;  // job file, table, series or curve file
inline constexpr int kExitCheckFailed = 3;

// Why the batch cannot go on: the exit status and a one-line message that
// names the file, line and field concerned.
struct BatchError {
  int status = kExitBadInput;
  std::string message;
};

template <class T>
using Outcome = textio::Result<T, BatchError>;

[[nodiscard]] inline textio::Failure<BatchError> bad_input(std::string message) {
  return textio::fail(BatchError{kExitBadInput, std::move(message)});
}

// "FILE, line N, field 'F'": the place a message is about; line 0 and an
// empty field are left out.
[[nodiscard]] std::string place(std::string_view file, std::int64_t line,
                                std::string_view field = {});

// How the load-case table weighs each record into the year.
enum class WeightKind { probability, hours_per_year, occurrences_per_year };

[[nodiscard]] std::string_view weight_column(WeightKind kind);

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

struct Hotspot {
  std::string name;
  ColumnRef column;
  Curve curve;
  double scf = 1.0;
  double thickness = 0.0;
  double dff = 1.0;
  std::int32_t blocks = 500;
  std::int64_t line = 0;         // of the job file
  std::int64_t column_line = 0;  // of its column
};

struct Job {
  std::string file_name;  // the job file's name, without its folder
  std::filesystem::path path;
  std::string title;
  double design_life = 0.0;
  double dff = 1.0;
  std::string unit = "Pa";
  double force_unit_factor = 1.0e-6;
  std::int32_t blocks = 500;
  std::string load_case_table;  // as written in the job
  WeightKind weight_kind = WeightKind::probability;
  std::vector<LoadCase> load_cases;
  std::vector<Hotspot> hotspots;
};

// Reads the job file, its load-case table and every curve it names. Warnings
// (probabilities that do not add up to 1) are appended to `warnings`.
[[nodiscard]] Outcome<Job> read_job(const std::filesystem::path& path,
                                    const sncurve::Catalogue& catalogue,
                                    std::vector<std::string>& warnings);

// Reads the load-case table; `shown` names it in messages.
[[nodiscard]] Outcome<std::vector<LoadCase>> read_load_cases(const std::filesystem::path& path,
                                                             const std::string& shown,
                                                             WeightKind& kind);

// The catalogue curve a job names: its number, or its name compared without
// blanks and case ("norsok d air" is "NORSOK  D   AIR"); 0 when there is none.
[[nodiscard]] int find_curve(const sncurve::Catalogue& catalogue, std::string_view name);

}  // namespace skaldur::batch
