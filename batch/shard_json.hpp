#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "batch/errors.hpp"
#include "batch/job_json.hpp"
#include "batch/results.hpp"

namespace skaldur::batch {

inline constexpr std::string_view kShardFile = "shard.json";

// A shard folder holds shard.json: the job, K and N, and the full results of
// its load cases, from which `merge` writes the outputs of the whole job.
// The file is written whole or not at all.
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
