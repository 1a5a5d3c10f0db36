#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/results.hpp"

namespace skaldur::batch {

// Beyond this many runs that are not ok, the warnings are summarised.
inline constexpr std::size_t kMostRunWarnings = 10;
// How many of them a summary shows in full.
inline constexpr std::size_t kFirstRunWarnings = 5;

// A warning for each run that is not ok, in table order (the load cases
// done only). More than kMostRunWarnings give instead one line with the
// count of each status, then the first kFirstRunWarnings warnings.
[[nodiscard]] std::vector<std::string> run_warnings(const JobView& view,
                                                    const std::vector<CaseResult>& cases);

}  // namespace skaldur::batch
