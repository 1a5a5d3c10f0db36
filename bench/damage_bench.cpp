#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

#include "bench/random_walk.hpp"
#include "damage/damage.hpp"

namespace skaldur::damage {
namespace {

constexpr std::size_t kValues = 10'000'000;

std::vector<float> random_walk(std::size_t n) {
  return bench::random_walk(n, 0xda3a6e);
}

// The whole computation on 10^7 values with 500 blocks: range, turning points,
// rainflow count and the Miner sum. DMG02 only reads the series and overwrites
// the work array, so every iteration starts alike.
void BM_DMG02(benchmark::State& state) {
  const std::vector<float> series = random_walk(kValues);
  // A two-segment NORSOK curve in air with a thickness correction: LogA
  // 12.164 and 15.606, m 3 and 5, the knee at 1.0E+07 cycles; Tref 25, k 0.2.
  const std::array<double, 18> curve = {
      1,      1,  1,   2, 3, 4, 9, 15,  // header
      12.164, 3,  1e7,                  // segment 1
      15.606, 5,  0,                    // segment 2
      52.63,  25, 0.2, 0,               // SigBreak, thick, k, kHigh
  };
  std::vector<float> hist(series.size());
  const CurveOpt curve_opt{50.0, 1.0};
  std::ostringstream print;
  for (auto _ : state) {
    BlockOpt block_opt{1.0, 500.0, 0.0};
    DmgOut dmg_out;
    const int status = DMG02(series, hist, curve, curve_opt, block_opt, dmg_out, print);
    benchmark::DoNotOptimize(dmg_out);
    benchmark::ClobberMemory();
    if (status != 0) state.SkipWithError("damage computation failed");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(series.size()));
  // Seconds per series value, printed with its prefix (for instance 6.0ns).
  state.counters["per_value"] = benchmark::Counter(
      static_cast<double>(series.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DMG02)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skaldur::damage
