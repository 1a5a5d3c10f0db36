#include "damage/hot_spot_stress.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>

namespace skaldur::damage {

template <class T>
void combine_stress(std::span<const StressTerm<T>> terms, std::span<T> out) {
  // A block at a time, term by term: the sums stay in double, and each inner
  // loop runs over one array and vectorises.
  constexpr std::size_t kBlock = 1024;
  std::array<double, kBlock> sum{};
  for (std::size_t first = 0; first < out.size(); first += kBlock) {
    const std::size_t n = std::min(kBlock, out.size() - first);
    std::fill_n(sum.begin(), n, 0.0);
    for (const StressTerm<T>& term : terms) {
      const T* values = term.values.data() + first;
      for (std::size_t k = 0; k < n; ++k)
        sum[k] += term.factor * static_cast<double>(values[k]);
    }
    for (std::size_t k = 0; k < n; ++k)
      out[first + k] = static_cast<T>(sum[k]);
  }
}

template <class T>
std::vector<T> combine_stress(std::span<const StressTerm<T>> terms, std::size_t n) {
  std::vector<T> out(n);
  combine_stress(terms, std::span<T>(out));
  return out;
}

template void combine_stress<float>(std::span<const StressTerm<float>>, std::span<float>);
template void combine_stress<double>(std::span<const StressTerm<double>>, std::span<double>);
template std::vector<float> combine_stress<float>(std::span<const StressTerm<float>>, std::size_t);
template std::vector<double> combine_stress<double>(std::span<const StressTerm<double>>,
                                                    std::size_t);

int joint_angle(int point) {
  return (point - 1) * 45;
}

PointFactors joint_point(const JointScf& scf, int point) {
  assert(point >= 1 && point <= kJointPoints);
  // cos and sin at 0, 45, ... 315 degrees, exact where they are 0 or 1.
  const double h = std::sqrt(0.5);
  constexpr int kCos[kJointPoints] = {2, 1, 0, -1, -2, -1, 0, 1};  // in units of h, 2 for 1
  const auto unit = [h](int c) { return c == 2 ? 1.0 : c == -2 ? -1.0 : c * h; };
  const auto i = static_cast<std::size_t>(point - 1);
  const double cos_t = unit(kCos[i]);
  const double sin_t = unit(kCos[(i + 6) % kJointPoints]);  // sin t = cos(t - 90)
  const double axial = point % 2 == 1 ? (point % 4 == 1 ? scf.axial_crown : scf.axial_saddle)
                                      : 0.5 * (scf.axial_crown + scf.axial_saddle);
  return {axial, scf.in_plane * cos_t, -scf.out_of_plane * sin_t};
}

}  // namespace skaldur::damage
