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

namespace {

// The most cells kept in a plain array (2 MB of counts).
constexpr std::int64_t kMostBoxCells = std::int64_t{1} << 18;

// The bins lo ... hi of values within low ... high, or nothing.
std::optional<std::pair<std::int64_t, std::int64_t>> bin_span(double low, double high, double w) {
  const auto lo = bin_of(low, w);
  const auto hi = bin_of(high, w);
  if (!lo || !hi || *hi < *lo) return std::nullopt;
  return std::pair{*lo, *hi};
}

}  // namespace

MatrixCounter::MatrixCounter(const MatrixSpec& shape, std::optional<ValueBounds> bounds)
    : shape_(shape) {
  if (!bounds) return;
  const bool by_range = shape.kind != MatrixKind::from_to;
  const auto first = by_range ? bin_span(0.0, bounds->widest, shape.first_bin)
                              : bin_span(bounds->low, bounds->high, shape.first_bin);
  const auto second = shape.kind == MatrixKind::range
                          ? std::optional(std::pair<std::int64_t, std::int64_t>{0, 0})
                          : bin_span(bounds->low, bounds->high, shape.second_bin);
  if (!first || !second) return;
  const std::int64_t n_first = first->second - first->first + 1;
  const std::int64_t n_second = second->second - second->first + 1;
  if (n_first > kMostBoxCells || n_second > kMostBoxCells / n_first) return;
  box_ = {first->first, n_first, second->first, n_second,
          std::vector<double>(static_cast<std::size_t>(n_first * n_second), 0.0)};
}

bool MatrixCounter::add(double from, double to, double range, double count) {
  std::optional<std::int64_t> first;
  std::optional<std::int64_t> second = 0;
  switch (shape_.kind) {
    case MatrixKind::range_mean:
      first = bin_of(range, shape_.first_bin);
      second = bin_of(0.5 * (from + to), shape_.second_bin);
      break;
    case MatrixKind::from_to:
      first = bin_of(from, shape_.first_bin);
      second = bin_of(to, shape_.second_bin);
      break;
    case MatrixKind::range: first = bin_of(range, shape_.first_bin); break;
  }
  if (!first || !second) return false;
  const std::int64_t i = *first - box_.first_low;
  const std::int64_t j = *second - box_.second_low;
  if (i >= 0 && i < box_.n_first && j >= 0 && j < box_.n_second) {
    box_.counts[static_cast<std::size_t>(i * box_.n_second + j)] += count;
  } else {
    counts_[Bins{*first, *second}] += count;
  }
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
  for (std::int64_t i = 0; i < box_.n_first; ++i) {
    for (std::int64_t j = 0; j < box_.n_second; ++j) {
      const double cycles = box_.counts[static_cast<std::size_t>(i * box_.n_second + j)];
      if (cycles != 0.0) all.push_back({box_.first_low + i, box_.second_low + j, cycles});
    }
  }
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
