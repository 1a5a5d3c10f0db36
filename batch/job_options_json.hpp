#pragma once

#include "batch/errors.hpp"
#include "batch/job.hpp"
#include "batch/job_json.hpp"

namespace skaldur::batch {

// The job options of job_json and their readers. A reader throws
// nlohmann's exception for a missing key or a value of the wrong type (the
// job is incomplete) and fails with bad input for a name it does not know.

// Adds "ends" and "residue" to `j`.
void add_conventions(Json& j, const cycles::Conventions& conventions);
[[nodiscard]] Outcome<cycles::Conventions> conventions_of(const Json& j);

// Adds "damage", "mean_stress" ({"method"} and "p" for dnv, "ultimate" for
// goodman) and "static_stress" to `j`.
void add_settings(Json& j, const DamageSettings& settings);
[[nodiscard]] Outcome<DamageSettings> settings_of(const Json& j);

// The outputs asked for, only those: "matrix" ({"kind"} and the bins as the
// job gives them), "del" ({"m"} and "f_eq" or "n_eq"), "equivalent_range"
// ({"n_eq"}); {} when none is.
[[nodiscard]] Json outputs_json(const OutputRequest& outputs);
[[nodiscard]] Outcome<OutputRequest> outputs_of(const Json& j);

}  // namespace skaldur::batch
