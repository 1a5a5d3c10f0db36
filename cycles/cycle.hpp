#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

namespace skaldur::cycles {

// Whether the first and last value of a series are turning points.
//
//   drop: never (as `skaldur` counts): a value is a turning point only when
//         the series turns there, so 0, 5, 1, 3 gives 5, 1.
//   keep: always, as reversals (as the standard counting practice and the
//         common rainflow tools count): 0, 5, 1, 3 gives 0, 5, 1, 3.
//
// A held end (a run of equal values) is one point either way, at the last
// sample of its run.
enum class Ends { drop, keep };

// What becomes of the residue, the turning points left on the stack when the
// series is used up.
//
//   half:     each neighbouring pair counts as a half cycle (0.5).
//   repeated: the residue followed by itself, reduced again to reversals
//             where the two copies join, is counted by the same rule; each
//             cycle it closes counts 1 and what remains is dropped. This is
//             the count of a record repeated without end.
//
//   residue 4, 7, 2, 12, 1, 9, 4, 6   half:     4-7, 7-2, 2-12, 12-1, 1-9,
//                                               9-4, 4-6, each 0.5
//                                     repeated: 4-6, 4-7, 9-2, 1-12, each 1
enum class Residue { half, repeated };

struct Conventions {
  Ends ends = Ends::drop;
  Residue residue = Residue::half;

  friend bool operator==(const Conventions&, const Conventions&) = default;
};

// "drop", "keep", "half", "repeated"; and back (nothing for another name).
[[nodiscard]] std::string_view name_of(Ends ends);
[[nodiscard]] std::string_view name_of(Residue residue);
[[nodiscard]] std::optional<Ends> ends_named(std::string_view name);
[[nodiscard]] std::optional<Residue> residue_named(std::string_view name);

// One counted cycle: its two turning points in order of occurrence, the
// index of the sample each stands at (for a held value, the last sample of
// its run), and what it counts: 1 for a closed cycle, 0.5 for a half cycle
// of the residue.
template <class T>
struct Cycle {
  T from{};
  T to{};
  double count = 1.0;
  std::int64_t from_index = 0;
  std::int64_t to_index = 0;

  // |to - from| and (from + to) / 2, worked out in double.
  [[nodiscard]] double range() const {
    return std::fabs(static_cast<double>(to) - static_cast<double>(from));
  }
  [[nodiscard]] double mean() const {
    return 0.5 * (static_cast<double>(from) + static_cast<double>(to));
  }

  friend bool operator==(const Cycle&, const Cycle&) = default;
};

}  // namespace skaldur::cycles
