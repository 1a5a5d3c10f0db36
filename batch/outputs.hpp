#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/errors.hpp"
#include "batch/job_json.hpp"
#include "batch/results.hpp"

namespace skaldur::batch {

// Writes summary.csv, damage.csv, histograms.csv and summary.json into `dir`
// (created when missing), and matrix.csv and del.csv when the job asks for
// them, each whole or not at all: a run that fails or is killed leaves every
// file as it was or complete. Every case must be done. A matrix.csv or
// del.csv that the job does not ask for is left as it is: the run never
// removes a file it does not write, and summary.json's job records what
// was asked.
[[nodiscard]] std::optional<BatchError> write_outputs(const std::filesystem::path& dir,
                                                      const Json& job, const JobView& view,
                                                      const std::vector<CaseResult>& cases,
                                                      const std::vector<HotspotSummary>& summaries);

// The files write_outputs writes into its folder for `request`, in the
// order it writes them.
[[nodiscard]] std::vector<std::string_view> output_files(const OutputRequest& request);

// Refuses (exit 2, naming both) to go on when a file `dir`/NAME, for a NAME
// of `names`, is one of `inputs` after any links: writing it would replace a
// file the run reads. Called before anything is written.
[[nodiscard]] std::optional<BatchError> refuse_replacing_inputs(
    const std::filesystem::path& dir, std::span<const std::string_view> names,
    const std::vector<InputFile>& inputs);

// The folder, created when missing; the error names it.
[[nodiscard]] std::optional<BatchError> make_folder(const std::filesystem::path& dir);

// Replaces the file `path` with `text` whole (files::write_whole); the error
// is "cannot write PATH: REASON".
[[nodiscard]] std::optional<BatchError> write_output(const std::filesystem::path& path,
                                                     std::string_view text);

// A row of del.csv: a load case's DEL of one exponent for a hotspot, or the
// year's (no load case). `del` is empty when n_eq is not above 0 (a record
// that spans no time has no equivalent cycles).
struct DelRow {
  std::size_t hotspot = 0;
  std::optional<std::size_t> load_case;  // nothing for the year's row
  double m = 0.0;
  double n_eq = 0.0;
  std::optional<double> del;
};

// del.csv's rows in its order: per hotspot, each load case's DEL for each
// exponent, its n_eq f_eq x the record's simulation length (or the fixed
// n_eq); then the year's, from the cases' sums weighed into the year in
// table order, its n_eq f_eq x the 31 536 000 s of the year (or the fixed
// n_eq). Every case must be done.
[[nodiscard]] std::vector<DelRow> del_rows(const JobView& view,
                                           const std::vector<CaseResult>& cases);

// The text of each output file, one writer a file (summary_csv.cpp, ...).
[[nodiscard]] std::string summary_csv(const JobView& view,
                                      const std::vector<HotspotSummary>& summaries);
[[nodiscard]] std::string damage_csv(const JobView& view, const std::vector<CaseResult>& cases);
[[nodiscard]] std::string histograms_csv(const JobView& view, const std::vector<CaseResult>& cases);
[[nodiscard]] std::string matrix_csv(const JobView& view, const std::vector<CaseResult>& cases);
[[nodiscard]] std::string del_csv(const JobView& view, const std::vector<CaseResult>& cases);
[[nodiscard]] std::string summary_json(const Json& job, const JobView& view,
                                       const std::vector<CaseResult>& cases,
                                       const std::vector<HotspotSummary>& summaries);

}  // namespace skaldur::batch
