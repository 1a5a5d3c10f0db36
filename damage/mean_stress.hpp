#pragma once

#include <optional>
#include <string_view>

namespace skaldur::damage {

// How a cycle's mean stress changes the range the curve is entered with.
//   none:    the range as counted
//   dnv:     the reduction for compressive stress of offshore practice: with
//            s_t the tensile part of the range (its maximum stress clamped to
//            0 ... range) and s_c = range - s_t, the range s_t + p * s_c
//            (max 60, min -40: 84 with p = 0.6, 92 with p = 0.8)
//   goodman: range / (1 - mean / ultimate) for a tensile mean; a compressive
//            mean gets no credit (the range as counted)
enum class MeanStressMethod { none, dnv, goodman };

// "none", "dnv", "goodman"; and back (nothing for another name).
[[nodiscard]] std::string_view name_of(MeanStressMethod method);
[[nodiscard]] std::optional<MeanStressMethod> mean_stress_named(std::string_view name);

struct MeanStress {
  MeanStressMethod method = MeanStressMethod::none;
  double p = 0.6;         // dnv: 0 ... 1
  double ultimate = 0.0;  // goodman: the ultimate strength (MPa), above 0

  friend bool operator==(const MeanStress&, const MeanStress&) = default;
};

// The corrected range of a cycle between stresses `from` and `to` (MPa,
// hot-spot stress), or nothing when its mean is at or above the ultimate
// strength (goodman), where the correction has no meaning.
[[nodiscard]] std::optional<double> corrected_range(const MeanStress& correction, double from,
                                                    double to);

}  // namespace skaldur::damage
