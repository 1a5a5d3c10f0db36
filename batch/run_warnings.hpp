#pragma once

#include <string>
#include <vector>

#include "batch/results.hpp"

namespace skaldur::batch {

// The warnings for runs whose series was too short to count, in table order.
[[nodiscard]] std::vector<std::string> run_warnings(const JobView& view,
                                                    const std::vector<CaseResult>& cases);

}  // namespace skaldur::batch
