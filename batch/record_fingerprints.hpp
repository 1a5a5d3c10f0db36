#pragma once

#include <cstdint>
#include <vector>

#include "batch/errors.hpp"
#include "batch/job.hpp"
#include "batch/results.hpp"

namespace skaldur::batch {

// The fingerprint of every load case's record, in table order, each of the
// whole file (textio::Fingerprint): a case computed (`cases[c].done`) gives
// the one its reading fed; the others' files are read for it alone, each
// once, at the speed of the hash. A shard records them all, so that `merge`
// can tell whether every shard saw the same records, its own and the others'.
// A record that cannot be opened or is not a regular file is bad input.
[[nodiscard]] Outcome<std::vector<std::uint64_t>> record_fingerprints(
    const Job& job, const std::vector<CaseResult>& cases);

}  // namespace skaldur::batch
