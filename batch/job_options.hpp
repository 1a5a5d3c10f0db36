#pragma once

#include <optional>

#include "batch/errors.hpp"
#include "batch/job.hpp"
#include "batch/job_fields.hpp"

namespace skaldur::batch {

// The job's counting conventions (`ends`, `residue`), the damage settings
// its hotspots run with unless they say otherwise (`damage`, `mean_stress`,
// `static_stress`) and what `[outputs]` asks for, into `job`.
[[nodiscard]] std::optional<BatchError> read_job_options(const Fields& f, Job& job);

// The hotspot's damage settings: the job's, with the hotspot's own
// `damage`, `mean_stress` and `static_stress` over them. `job_fields` is the
// job's top level, named when the mean-stress correction a hotspot inherits
// meets block damage: the correction needs exact damage.
[[nodiscard]] std::optional<BatchError> read_hotspot_settings(const Fields& job_fields,
                                                              const Fields& f, const Job& job,
                                                              Hotspot& h);

}  // namespace skaldur::batch
