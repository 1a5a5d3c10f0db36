#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <vector>

#include "bench/random_walk.hpp"
#include "cycles/rainflow.hpp"
#include "cycles/turning_points.hpp"

namespace skaldur::cycles {
namespace {

constexpr std::size_t kPoints = 10'000'000;
constexpr int kBlocks = 500;

std::vector<float> random_walk(std::size_t n) {
  return bench::random_walk(n, 0x5ca1d);
}

// About every second value of a random walk is a turning point: the first
// kPoints of those of a long enough walk, with 500 blocks spanning its range as
// the damage computation sizes them.
struct Input {
  std::vector<float> pts;
  double bloc_len = 0.0;
};

const Input& walk_turning_points() {
  static const Input input = [] {
    const std::vector<float> series = random_walk(2 * kPoints + 100'000);
    Input in;
    in.pts.resize(series.size() - 2);
    const int n = TSEXTRM(series, in.pts);
    if (static_cast<std::size_t>(n) < kPoints) std::abort();
    in.pts.resize(kPoints);
    const auto [lo, hi] = std::minmax_element(series.begin(), series.end());
    in.bloc_len = static_cast<double>(1.01f) * static_cast<double>(*hi - *lo) / kBlocks;
    return in;
  }();
  return input;
}

// Argument 0: the raw walk, where equal neighbours never occur. Argument 1: the
// walk rounded to whole numbers, as a quantised record is, so that about a
// third of the values repeat their predecessor.
void BM_TSEXTRM(benchmark::State& state) {
  std::vector<float> series = random_walk(kPoints);
  if (state.range(0) == 1) {
    for (float& x : series)
      x = std::nearbyint(x);
  }
  std::vector<float> out(series.size() - 2);
  for (auto _ : state) {
    int n = TSEXTRM(series, out);
    benchmark::DoNotOptimize(n);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(series.size()));
}
BENCHMARK(BM_TSEXTRM)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The counter overwrites its input, so every iteration starts from a fresh
// copy made with the timer paused.
void BM_TSRAIN2(benchmark::State& state) {
  const Input& input = walk_turning_points();
  std::vector<float> work(input.pts.size());
  std::vector<double> blocks(kBlocks);
  std::ostringstream print;
  for (auto _ : state) {
    state.PauseTiming();
    work = input.pts;
    state.ResumeTiming();
    int n_cycles = 0;
    int status = TSRAIN2(work, kBlocks, input.bloc_len, blocks, n_cycles, print);
    benchmark::DoNotOptimize(status);
    benchmark::DoNotOptimize(n_cycles);
    benchmark::ClobberMemory();
    if (status != 0) state.SkipWithError("count failed");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.pts.size()));
}
BENCHMARK(BM_TSRAIN2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skaldur::cycles
