#include "series/detail/memory_hints.hpp"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <new>

#include "series/detail/line_rules.hpp"

namespace skaldur::series::detail {

void prefer_huge_pages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
  if (last > first) {
    // Advice the system may ignore; its answer changes nothing here.
    static_cast<void>(::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE));
  }
}

void reserve_for_rest(int fd, std::int64_t bytes_read, const TimeWindow& window, double start_time,
                      double line_time, std::vector<std::vector<float>>& columns) {
  const auto kept = static_cast<double>(columns.front().size());
  double left = std::numeric_limits<double>::infinity();
  struct stat info {};
  const off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && at >= 0 && bytes_read > 0) {
    // The file may have shrunk (or grown) since it was opened.
    const auto bytes_left = static_cast<double>(std::max<off_t>(info.st_size - at, 0));
    left = bytes_left * kept / static_cast<double>(bytes_read);
  }
  if (line_time > start_time) {
    left = std::min(left, (window.last_time - line_time) * kept / (line_time - start_time));
  }
  const double wanted = kept + 1.02 * std::max(left, 0.0) + 1024.0;
  if (!(wanted < static_cast<double>(kMostValues))) return;
  const auto expected = static_cast<std::size_t>(wanted);
  try {
    for (auto& column : columns) {
      if (expected > column.capacity()) column.reserve(expected);
      prefer_huge_pages(column.data(), column.capacity() * sizeof(float));
    }
  } catch (const std::bad_alloc&) {
    // Not enough memory for the estimate: the columns grow as they fill.
  }
}

}  // namespace skaldur::series::detail
