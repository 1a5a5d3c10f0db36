// Time-series reading: a generated three-column record of 10^6 lines.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "series/series.hpp"
#include "textio/lines.hpp"

namespace {

// Writes a record once per process: time, two stress columns in MPa, the
// second in exponent form (`exponent`, read the general way) or in plain
// decimals (read the quick way).
const std::string& record_path(int lines, bool exponent) {
  static std::string paths[2];
  std::string& path = paths[exponent ? 1 : 0];
  if (!path.empty()) return path;
  const char* name = exponent ? "skaldur-bench-series.ts" : "skaldur-bench-series-plain.ts";
  path = (std::filesystem::temp_directory_path() / name).string();
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::mt19937 rng(12345);
  std::normal_distribution<double> step(0.0, 2.0);
  double a = 40.0;
  double b = 0.0;
  std::fputs("# generated record: time [s], stress A [MPa], stress B [MPa]\n", f);
  for (int i = 0; i < lines; ++i) {
    a += step(rng);
    b = 0.7 * b + step(rng);
    std::fprintf(f, exponent ? "%.3f %.4f %.4E\n" : "%.3f %.4f %.4f\n", 0.05 * i, a, b);
  }
  std::fclose(f);
  return path;
}

// Arguments: lines, columns read (column 2, or columns 2 and 3), and 1 for
// the record in exponent form, 0 for plain decimals.
void BM_ReadSeries(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const std::vector<int> columns =
      state.range(1) == 1 ? std::vector<int>{2} : std::vector<int>{2, 3};
  const std::string& path = record_path(lines, state.range(2) == 1);
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    skaldur::textio::LineReader reader(fd);
    auto opening = skaldur::series::open_record(reader, {});
    if (!opening) {
      ::close(fd);
      state.SkipWithError("the record did not open");
      break;
    }
    const auto record = skaldur::series::read_record(reader, std::move(opening).value(), columns);
    ::close(fd);
    if (!record || record->n_steps != lines) {
      state.SkipWithError("the record did not read");
      break;
    }
    benchmark::DoNotOptimize(record->columns.front().data());
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ReadSeries)
    ->Args({1'000'000, 1, 1})
    ->Args({1'000'000, 2, 1})
    ->Args({1'000'000, 1, 0})
    ->Args({1'000'000, 2, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
