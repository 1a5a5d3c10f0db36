#pragma once

#include <nlohmann/json.hpp>

#include "batch/errors.hpp"
#include "batch/job.hpp"
#include "batch/results.hpp"

namespace skaldur::batch {

// Keys keep the order they are written in.
using Json = nlohmann::ordered_json;

// The job as read, each curve's parameters included: the "job" of
// summary.json and of every shard folder.
[[nodiscard]] Json job_json(const Job& job);

// The text of `json` (`indent` as nlohmann's dump), names and fields of any
// bytes included: valid UTF-8 is written as it is, every other byte as
// U+FFFD, so that writing never throws on what a file or a table held.
[[nodiscard]] std::string json_text(const Json& json, int indent);

// What the outputs need, read back from job_json's result.
[[nodiscard]] Outcome<JobView> view_of(const Json& job);

}  // namespace skaldur::batch
