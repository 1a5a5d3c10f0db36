#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "batch/errors.hpp"
#include "batch/job.hpp"

namespace skaldur::batch {

// Reads the load-case table; `shown` names it in messages, `kind` takes the
// weight kind its header names.
[[nodiscard]] Outcome<std::vector<LoadCase>> read_load_cases(const std::filesystem::path& path,
                                                             const std::string& shown,
                                                             WeightKind& kind);

}  // namespace skaldur::batch
