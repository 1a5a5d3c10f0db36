#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace skaldur::bench {

// A random walk with normal steps of unit spread, from a fixed generator
// state, so that every benchmark run counts the same series.
inline std::vector<float> random_walk(std::size_t n, std::uint64_t state) {
  std::mt19937_64 rng(state);
  std::normal_distribution<float> step(0.0f, 1.0f);
  std::vector<float> series(n);
  float level = 0.0f;
  for (float& x : series)
    x = level += step(rng);
  return series;
}

}  // namespace skaldur::bench
