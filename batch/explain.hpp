#pragma once

#include <iosfwd>

#include "batch/job.hpp"

namespace skaldur::batch {

// `run --explain`: one line per hotspot, in job order, of what its damage
// is taken of, the columns named as the job names them, numbers in the
// shortest form that reads back the same, the SCF when it is not 1 and the
// curve:
//
//   brace-045 = 2.5 x col(fx) + 1.5556349186104046 x col(my) - 1.98 x col(mz); curve D
//   chord = (2 x col(fx) - 1 x col(4)) x scf 1.3; curve NORSOK D AIR
//   h1 = col(b); curve D
void write_explanation(std::ostream& out, const Job& job);

}  // namespace skaldur::batch
