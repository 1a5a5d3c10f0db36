#pragma once

#include <filesystem>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "batch/job.hpp"
#include "batch/results.hpp"

namespace skaldur::batch {

// Keys keep the order they are written in.
using Json = nlohmann::ordered_json;

// The shortest text that reads back as the same double (std::to_chars).
[[nodiscard]] std::string shortest(double value);

// The job as read, each curve's parameters included: the "job" of
// summary.json and of every shard folder.
[[nodiscard]] Json job_json(const Job& job);

// What the outputs need, taken from job_json's result.
[[nodiscard]] Outcome<JobView> view_of(const Json& job);

// Writes summary.csv, damage.csv, histograms.csv and summary.json into `dir`
// (created when missing). Every case must be done.
[[nodiscard]] std::optional<BatchError> write_outputs(const std::filesystem::path& dir,
                                                      const Json& job, const JobView& view,
                                                      const std::vector<CaseResult>& cases,
                                                      const std::vector<HotspotSummary>& summaries);

// The hotspots worst first: utilisation, verdict, life and governing load case.
void write_console_table(std::ostream& out, const JobView& view,
                         const std::vector<HotspotSummary>& summaries,
                         const std::filesystem::path& dir);

// The warnings for runs whose series was too short to count, in table order.
[[nodiscard]] std::vector<std::string> run_warnings(const JobView& view,
                                                    const std::vector<CaseResult>& cases);

// A shard folder holds shard.json: the job, K and N, and the full results of
// its load cases, from which `merge` writes the outputs of the whole job.
[[nodiscard]] std::optional<BatchError> write_shard(const std::filesystem::path& dir, int k, int n,
                                                    const Json& job,
                                                    const std::vector<CaseResult>& cases);

struct Merged {
  Json job;
  std::vector<CaseResult> cases;
};

// Reads the shard folders and checks that they hold one job's shards 1 ... N,
// each once, together covering every load case.
[[nodiscard]] Outcome<Merged> read_shards(const std::vector<std::filesystem::path>& dirs);

}  // namespace skaldur::batch
