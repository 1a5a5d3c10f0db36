#pragma once

#include <filesystem>
#include <iosfwd>
#include <vector>

#include "batch/results.hpp"

namespace skaldur::batch {

// The hotspots worst first: utilisation, verdict, life and governing load
// case, then the folder of the results.
void write_console_table(std::ostream& out, const JobView& view,
                         const std::vector<HotspotSummary>& summaries,
                         const std::filesystem::path& dir);

}  // namespace skaldur::batch
