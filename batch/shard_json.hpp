#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "batch/errors.hpp"
#include "batch/job_json.hpp"
#include "batch/results.hpp"

namespace skaldur::batch {

inline constexpr std::string_view kShardFile = "shard.json";

// What a shard's results come from: the job's files besides the records
// (Job::inputs) and the fingerprint of every load case's record, its own
// and the other shards' (see record_fingerprints).
struct ShardInputs {
  const std::vector<InputFile>& files;
  const std::vector<std::uint64_t>& records;
};

// A shard folder holds shard.json: the job, K and N, the fingerprints of its
// inputs and the full results of its load cases, from which `merge` writes
// the outputs of the whole job. The file is written whole or not at all.
[[nodiscard]] std::optional<BatchError> write_shard(const std::filesystem::path& dir, int k, int n,
                                                    const Json& job, const ShardInputs& inputs,
                                                    const std::vector<CaseResult>& cases);

struct Merged {
  Json job;
  std::vector<CaseResult> cases;
};

// Reads the shard folders and checks that they hold one job's shards 1 ... N,
// each once, together covering every load case, all computed from the same
// files: every input and every record has the same fingerprint in each.
[[nodiscard]] Outcome<Merged> read_shards(const std::vector<std::filesystem::path>& dirs);

}  // namespace skaldur::batch
