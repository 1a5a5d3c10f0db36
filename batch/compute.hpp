#pragma once

#include <cstddef>
#include <iosfwd>
#include <vector>

#include "batch/job.hpp"
#include "batch/results.hpp"

namespace skaldur::batch {

struct ComputeOptions {
  int jobs = 1;           // files read and assessed at the same time
  bool progress = false;  // a progress line on `progress_out`
  // Each record's fingerprint (CaseResult::fingerprint, of the whole file,
  // fed while it is read): a shard records them for `merge`; 0 without.
  bool fingerprints = false;
};

// Reads the series file of each load case in `which` (indices into
// job.load_cases) once, all hotspot columns in one pass, and assesses every
// hotspot. The result has one entry per load case of the job; those not in
// `which` stay not done. The results never depend on `options`. On bad input
// (or a failed computation), the error of the first such load case in table
// order.
[[nodiscard]] Outcome<std::vector<CaseResult>> compute(const Job& job,
                                                       const std::vector<std::size_t>& which,
                                                       const ComputeOptions& options,
                                                       std::ostream& progress_out);

}  // namespace skaldur::batch
