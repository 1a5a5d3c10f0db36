#pragma once

// Internal to the series library: front ends include series/series.hpp only.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "series/series.hpp"

namespace skaldur::series::detail {

// Asks the system to back a large array with huge pages, so that filling it
// costs a few page faults instead of one per 4 KiB. Only a hint: nothing
// changes where the system does not follow it.
void prefer_huge_pages(void* data, std::size_t bytes);

// Room for the values of the rest of the window, so that the columns are
// allocated once instead of doubling (and copying) their way past their
// size. Judged from the values kept so far: by the bytes left in the file
// `fd` (a regular one) at the bytes per value read so far (`bytes_read`),
// and by the time left in the window at the values per time read so far
// (from `start_time` to `line_time`), whichever is less. Only a hint: the
// columns still grow past it, and when the memory for it cannot be had the
// reading goes on without it.
void reserve_for_rest(int fd, std::int64_t bytes_read, const TimeWindow& window, double start_time,
                      double line_time, std::vector<std::vector<float>>& columns);

}  // namespace skaldur::series::detail
