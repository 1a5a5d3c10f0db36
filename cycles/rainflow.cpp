#include "cycles/rainflow.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <string>

#include "textio/format.hpp"

namespace skaldur::cycles {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = -1;

constexpr const char* kHeader = "\n  *** ERROR IN RAINFLW ***\n";

int report_too_short(std::ostream& print) {
  print << kHeader << "\n      Too short time series\n";
  return kFailed;
}

int report_over_large(std::ostream& print, int n_blocks, double bloc_len, double range) {
  std::string text = kHeader;
  text += "\n      Stress-range larger than Smax \n      Smax         = ";
  textio::append_sci(text, static_cast<double>(n_blocks) * bloc_len, 10, 3);
  text += "\n      Stress range = ";
  textio::append_sci(text, range, 10, 3);
  text += '\n';
  print << text;
  return kFailed;
}

// The block counts, cleared on construction.
class Histogram {
 public:
  Histogram(std::span<double> counts, double bloc_len) : counts_(counts), bloc_len_(bloc_len) {
    std::fill(counts_.begin(), counts_.end(), 0.0);
  }

  // Adds `weight` to the block of `range`. Returns false when the range falls
  // in no block: beyond the last one, or a NaN quotient. The quotient is
  // compared in double, so a huge or NaN value never reaches the conversion.
  [[nodiscard]] bool add(double range, double weight) const {
    const double q = range / bloc_len_;
    if (!(q >= 0.0 && q < static_cast<double>(counts_.size()))) return false;
    counts_[static_cast<std::size_t>(q)] += weight;
    return true;
  }

 private:
  std::span<double> counts_;
  double bloc_len_;
};

double range_of(float a, float b) {
  return std::fabs(static_cast<double>(a) - static_cast<double>(b));
}

}  // namespace

int TSRAIN2(std::span<float> turn_pts, int n_blocks, double bloc_len, std::span<double> cyc_count,
            int& n_cycles, std::ostream& print) {
  if (turn_pts.size() < 4) return report_too_short(print);

  const std::size_t blocks = n_blocks > 0 ? static_cast<std::size_t>(n_blocks) : 0;
  assert(cyc_count.size() >= blocks);
  const Histogram histogram(cyc_count.first(blocks), bloc_len);
  n_cycles = 0;

  // The stack is turn_pts[0 .. top - 1]. Its top never passes the next unread
  // point, so a push is a copy within the array.
  std::size_t top = 0;
  for (std::size_t next = 0; next < turn_pts.size(); ++next) {
    turn_pts[top++] = turn_pts[next];
    while (top >= 4) {
      const float s1 = turn_pts[top - 4];
      const float s2 = turn_pts[top - 3];
      const float s3 = turn_pts[top - 2];
      const float s4 = turn_pts[top - 1];
      const bool cycle =
          s1 < s4 ? (s1 <= s3 && s3 <= s2 && s2 <= s4) : (s4 <= s2 && s2 <= s3 && s3 <= s1);
      if (!cycle) break;
      const double range = range_of(s2, s3);
      ++n_cycles;
      if (!histogram.add(range, 1.0)) return report_over_large(print, n_blocks, bloc_len, range);
      turn_pts[top - 3] = s4;
      top -= 2;
    }
  }

  // The residue: at least two points remain, since a cycle leaves the two
  // below it. L points make (L + 1) / 2 cycles (3 -> 2, 4 -> 2, 5 -> 3).
  n_cycles += static_cast<int>((top + 1) / 2);
  for (std::size_t i = 1; i < top; ++i) {
    const double range = range_of(turn_pts[i - 1], turn_pts[i]);
    if (!histogram.add(range, 0.5)) return report_over_large(print, n_blocks, bloc_len, range);
  }
  return kOk;
}

}  // namespace skaldur::cycles
