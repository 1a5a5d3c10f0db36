#include "batch/console_table.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numeric>
#include <ostream>
#include <string>

namespace skaldur::batch {
namespace {

// Fixed point for the figures a reader compares at a glance; a life or a
// utilisation of ten million and more (a hotspot the load hardly touches, or
// one far beyond its curve), and one that is not 0 but would show as 0 (a
// life of a few days), in scientific notation, so that the column stays
// readable.
std::string fixed(double value, int decimals) {
  std::array<char, 400> buffer{};
  const double magnitude = std::abs(value);
  const bool scientific =
      magnitude >= 1.0e7 || (magnitude > 0.0 && magnitude < 0.5 * std::pow(10.0, -decimals));
  const auto r =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                    scientific ? std::chars_format::scientific : std::chars_format::fixed,
                    scientific ? 3 : decimals);
  return std::string(buffer.data(), r.ptr);
}

std::string pad(std::string text, std::size_t width, bool left) {
  if (text.size() >= width) return text;
  return left ? text + std::string(width - text.size(), ' ')
              : std::string(width - text.size(), ' ') + text;
}

std::string governing(const JobView& view, const HotspotSummary& s) {
  if (s.governing < 0) return "-";
  return governing_name(view, s) + " (" + fixed(100.0 * s.governing_share, 1) + " %)";
}

}  // namespace

void write_console_table(std::ostream& out, const JobView& view,
                         const std::vector<HotspotSummary>& summaries,
                         const std::filesystem::path& dir) {
  std::vector<std::size_t> order(summaries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return summaries[a].utilisation > summaries[b].utilisation;
  });
  std::size_t width = 7;
  for (const HotspotView& h : view.hotspots)
    width = std::max(width, h.name.size());
  std::string text;
  if (!view.title.empty()) text += view.title + "\n";
  text +=
      pad("hotspot", width, true) + "  utilisation  verdict  life [years]  governing load case\n";
  for (const std::size_t h : order) {
    const HotspotSummary& s = summaries[h];
    text += pad(view.hotspots[h].name, width, true) + "  " +
            pad(fixed(s.utilisation, 4), 11, false) + "  " +
            pad(s.pass ? "pass" : "FAIL", 7, true) + "  " +
            pad(std::isinf(s.life_years) ? "inf" : fixed(s.life_years, 1), 12, false) + "  " +
            governing(view, s) + "\n";
  }
  text += "results in " + dir.string() + "\n";
  out << text;
}

}  // namespace skaldur::batch
