#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace skaldur::cycles {

// What a matrix counts the cycles by.
//   range_mean: range (first) and mean (second)
//   from_to:    the first turning point (first) and the second (second)
//   range:      range only (first; second is always bin 0)
enum class MatrixKind { range_mean, from_to, range };

// "range-mean", "from-to", "range"; and back (nothing for another name).
[[nodiscard]] std::string_view name_of(MatrixKind kind);
[[nodiscard]] std::optional<MatrixKind> matrix_kind_named(std::string_view name);

// The kind and the bin widths (above 0, in the unit of the values counted):
// `first_bin` for ranges or from-values, `second_bin` for means or
// to-values (ignored for `range`).
struct MatrixSpec {
  MatrixKind kind = MatrixKind::range;
  double first_bin = 1.0;
  double second_bin = 1.0;

  friend bool operator==(const MatrixSpec&, const MatrixSpec&) = default;
};

// The bin of value x for width w: floor(x / w), worked out in double; bin k
// holds k * w <= x < (k + 1) * w, closed below and open above, for negative
// k too. Nothing when x / w is not finite or its bin lies beyond +-2^53,
// where bins no longer have whole edges.
[[nodiscard]] std::optional<std::int64_t> bin_of(double x, double w);

// The lower edge of bin k: k * w.
[[nodiscard]] double edge_of(std::int64_t k, double w);

// A cell of a matrix that holds cycles: its two bins and its count (a half
// cycle counts 0.5).
struct MatrixCell {
  std::int64_t first = 0;
  std::int64_t second = 0;
  double cycles = 0.0;

  friend bool operator==(const MatrixCell&, const MatrixCell&) = default;
};

// The values a matrix will be handed lie within low ... high, and no range
// is above widest: the counter then keeps the cells of that box in a plain
// array when it is small, which is several times faster than a map.
struct ValueBounds {
  double low = 0.0;
  double high = 0.0;
  double widest = 0.0;
};

// Counts cycles into the cells of a matrix: those within the bounds given
// in a plain array, the others sparse.
class MatrixCounter {
 public:
  explicit MatrixCounter(const MatrixSpec& shape, std::optional<ValueBounds> bounds = {});

  // Adds a cycle from `from` to `to` of range `range` (|to - from|, as the
  // caller works it out) counting `count`; its mean is (from + to) / 2.
  // False, adding nothing, when one of its values falls in no bin (see
  // bin_of).
  [[nodiscard]] bool add(double from, double to, double range, double count);

  // The cells with cycles, by first bin then second bin.
  [[nodiscard]] std::vector<MatrixCell> cells() const;

 private:
  struct Bins {
    std::int64_t first = 0;
    std::int64_t second = 0;
    friend bool operator==(const Bins&, const Bins&) = default;
  };
  struct BinsHash {
    std::size_t operator()(const Bins& bins) const;
  };

  // The cells kept in a plain array: first bins first_low ... + n_first - 1
  // by second bins second_low ... + n_second - 1, row by row.
  struct Box {
    std::int64_t first_low = 0;
    std::int64_t n_first = 0;
    std::int64_t second_low = 0;
    std::int64_t n_second = 0;
    std::vector<double> counts;
  };

  MatrixSpec shape_;
  Box box_;
  std::unordered_map<Bins, double, BinsHash> counts_;  // cells outside the box
};

// Adds factor x each cell of `more` into `into`, cell by cell; both are in
// the order cells() gives, and so is the result.
void add_cells(std::vector<MatrixCell>& into, std::span<const MatrixCell> more, double factor);

}  // namespace skaldur::cycles
