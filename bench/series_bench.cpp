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

// Writes the record once per process: time, two stress columns in MPa.
const std::string& record_path(int lines) {
  static std::string path;
  if (!path.empty()) return path;
  path = (std::filesystem::temp_directory_path() / "skaldur-bench-series.ts").string();
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::mt19937 rng(12345);
  std::normal_distribution<double> step(0.0, 2.0);
  double a = 40.0;
  double b = 0.0;
  std::fputs("# generated record: time [s], stress A [MPa], stress B [MPa]\n", f);
  for (int i = 0; i < lines; ++i) {
    a += step(rng);
    b = 0.7 * b + step(rng);
    std::fprintf(f, "%.3f %.4f %.4E\n", 0.05 * i, a, b);
  }
  std::fclose(f);
  return path;
}

// Arguments: lines, and columns read (column 2, or columns 2 and 3).
void BM_ReadSeries(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const std::vector<int> columns =
      state.range(1) == 1 ? std::vector<int>{2} : std::vector<int>{2, 3};
  const std::string& path = record_path(lines);
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
BENCHMARK(BM_ReadSeries)->Args({1'000'000, 1})->Args({1'000'000, 2})->Unit(benchmark::kMillisecond);

}  // namespace
