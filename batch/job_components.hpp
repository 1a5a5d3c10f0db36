#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/errors.hpp"
#include "batch/job.hpp"
#include "batch/job_fields.hpp"
#include "damage/hot_spot_stress.hpp"

namespace skaldur::batch {

// The stress column at `key`: a number of 2 or more (column 1 is the
// time), or a name in the records' header.
[[nodiscard]] Outcome<ColumnRef> read_column_ref(const Fields& f, std::string_view key);

// The stress a [[hotspot]] reads: one `column`, or `components`, a list of
// `{ column = C, factor = K }` summed sample by sample; never both.
[[nodiscard]] std::optional<BatchError> read_stress(const Fields& f, Hotspot& h);

// A [[joint]] table's own keys: its name, the columns of its nominal
// stresses (axial, in-plane and out-of-plane bending; the factors unused)
// and its SCFs.
struct Joint {
  std::string name;
  std::array<Component, 3> nominal;
  damage::JointScf scf;
  std::int64_t line = 0;  // of the job file
};

// The joint's own keys. Besides them a joint takes the keys of a
// [[hotspot]] that hold for each of its points (curve or curve_file,
// thickness, dff, blocks, damage, mean_stress, static_stress); any other
// key is refused.
[[nodiscard]] Outcome<Joint> read_joint(const Fields& f);

// The joint's eight points as hotspots NAME-000, NAME-045, ... NAME-315
// (the angle from the crown), each `common` (the curve, thickness, dff,
// blocks and damage settings of the joint) with the nominal stresses as
// its components, weighed by damage::joint_point. A component whose factor
// is 0 is left out: the crown reads axial and in-plane stress only.
[[nodiscard]] std::vector<Hotspot> joint_points(const Joint& joint, const Hotspot& common);

}  // namespace skaldur::batch
