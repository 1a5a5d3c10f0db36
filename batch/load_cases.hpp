#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "batch/errors.hpp"
#include "batch/job.hpp"

namespace skaldur::batch {

// Reads the load-case table, a regular file of at most kMostTableBytes;
// `shown` names it in messages, `kind` takes the weight kind its header
// names, and `file` the table's name, identity and fingerprint.
[[nodiscard]] Outcome<std::vector<LoadCase>> read_load_cases(const std::filesystem::path& path,
                                                             const std::string& shown,
                                                             WeightKind& kind, InputFile& file);

}  // namespace skaldur::batch
