#include "cycles/matrix.hpp"

#include <algorithm>
#include <cmath>

namespace skaldur::cycles {

std::string_view name_of(MatrixKind kind) {
  switch (kind) {
    case MatrixKind::range_mean: return "range-mean";
    case MatrixKind::from_to: return "from-to";
    case MatrixKind::range: break;
  }
  return "range";
}

std::optional<MatrixKind> matrix_kind_named(std::string_view name) {
  if (name == "range-mean") return MatrixKind::range_mean;
  if (name == "from-to") return MatrixKind::from_to;
  if (name == "range") return MatrixKind::range;
  return std::nullopt;
}

namespace {

// Bins beyond this have no whole edges in double.
constexpr double kFarthestBin = 9007199254740992.0;  // 2^53

bool before(const MatrixCell& a, const MatrixCell& b) {
  return a.first != b.first ? a.first < b.first : a.second < b.second;
}

}  // namespace

std::optional<std::int64_t> bin_of(double x, double w) {
  const double q = std::floor(x / w);
  if (!(q >= -kFarthestBin && q <= kFarthestBin)) return std::nullopt;  // NaN too
  return static_cast<std::int64_t>(q);
}

double edge_of(std::int64_t k, double w) {
  return static_cast<double>(k) * w;
}

bool MatrixCounter::add(double from, double to, double range, double count) {
  std::optional<std::int64_t> first;
  std::optional<std::int64_t> second = 0;
  switch (spec_.kind) {
    case MatrixKind::range_mean:
      first = bin_of(range, spec_.first_bin);
      second = bin_of(0.5 * (from + to), spec_.second_bin);
      break;
    case MatrixKind::from_to:
      first = bin_of(from, spec_.first_bin);
      second = bin_of(to, spec_.second_bin);
      break;
    case MatrixKind::range: first = bin_of(range, spec_.first_bin); break;
  }
  if (!first || !second) return false;
  counts_[Bins{*first, *second}] += count;
  return true;
}

std::size_t MatrixCounter::BinsHash::operator()(const Bins& bins) const {
  const auto a = static_cast<std::uint64_t>(bins.first);
  const auto b = static_cast<std::uint64_t>(bins.second);
  return static_cast<std::size_t>((a * 0x9E3779B97F4A7C15ULL) ^ (b * 0xC2B2AE3D27D4EB4FULL));
}

std::vector<MatrixCell> MatrixCounter::cells() const {
  std::vector<MatrixCell> all;
  all.reserve(counts_.size());
  for (const auto& [bins, cycles] : counts_)
    all.push_back({bins.first, bins.second, cycles});
  std::sort(all.begin(), all.end(), before);
  return all;
}

void add_cells(std::vector<MatrixCell>& into, std::span<const MatrixCell> more, double factor) {
  std::vector<MatrixCell> sum;
  sum.reserve(into.size() + more.size());
  auto a = into.begin();
  auto b = more.begin();
  while (a != into.end() || b != more.end()) {
    if (b == more.end() || (a != into.end() && before(*a, *b))) {
      sum.push_back(*a++);
    } else if (a == into.end() || before(*b, *a)) {
      sum.push_back({b->first, b->second, factor * b->cycles});
      ++b;
    } else {
      sum.push_back({a->first, a->second, a->cycles + factor * b->cycles});
      ++a;
      ++b;
    }
  }
  into = std::move(sum);
}

}  // namespace skaldur::cycles
