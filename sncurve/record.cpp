#include "sncurve/record.hpp"

#include <cmath>
#include <cstdint>

namespace skaldur::sncurve {
namespace {

constexpr double kCountLimit = 1.0e9;

}  // namespace

int round_count(double value) {
  if (std::isnan(value)) return 0;
  if (value > kCountLimit) value = kCountLimit;
  if (value < -kCountLimit) value = -kCountLimit;
  return static_cast<int>(std::round(value));
}

double break_range(const Segment& segment) {
  if (segment.n_break <= 0.0) return 0.0;
  return std::pow(std::pow(10.0, segment.log_a) / segment.n_break, 1.0 / segment.m);
}

std::optional<double> RecordView::at(int position) const {
  if (position < 1 || static_cast<std::size_t>(position) > values_.size()) return std::nullopt;
  return values_[static_cast<std::size_t>(position) - 1];
}

int RecordView::count_at(int position) const {
  const auto value = at(position);
  return value ? round_count(*value) : 0;
}

std::optional<Segment> RecordView::segment(int j) const {
  const std::int64_t stride = n_par_per_lin();
  if (j < 1 || stride < 1) return std::nullopt;
  const std::int64_t first = seg_start() + (j - 1) * stride;
  if (first < 1 || first + 2 > static_cast<std::int64_t>(values_.size())) return std::nullopt;
  const auto index = static_cast<std::size_t>(first) - 1;
  return Segment{values_[index], values_[index + 1], values_[index + 2]};
}

std::optional<double> RecordView::fixed(int i) const {
  if (i < 1) return std::nullopt;
  const std::int64_t position = static_cast<std::int64_t>(fix_start()) + i - 1;
  if (position < 1 || position > static_cast<std::int64_t>(values_.size())) return std::nullopt;
  return values_[static_cast<std::size_t>(position) - 1];
}

}  // namespace skaldur::sncurve
