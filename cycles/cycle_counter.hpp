#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cycles/cycle.hpp"

namespace skaldur::cycles {

// A turning point and the index of the sample it stands at.
template <class T>
struct TurningPoint {
  T value{};
  std::int64_t index = 0;
};

// Finds the turning points of a series handed over one value at a time, by
// the rule of TSEXTRM (see cycles/turning_points.hpp): a value is judged
// with the run of equal values that ends at it, by the value met last before
// the run, so a flat step is no turning point and a held value stands at the
// last sample of its run. With Ends::drop the first and last value count
// only as TSEXTRM counts them (a held first value can, the last never); with
// Ends::keep both are turning points unless they are NaN.
template <class T>
class TurningPointFinder {
 public:
  explicit TurningPointFinder(Ends ends) : keep_(ends == Ends::keep) {}

  // The next value of the series and its sample index; `emit` gets each
  // turning point the value decides.
  template <class Emit>
  void push(T w, std::int64_t index, Emit&& emit) {
    if (!started_) {
      started_ = true;
      v_ = w;
      at_ = index;
      return;
    }
    if (w == v_) {  // the run goes on; a held first value counts as entered from both sides
      at_ = index;
      if (start_run_) below_ = above_ = true;
      return;
    }
    const bool up = w > v_;
    const bool down = w < v_;
    const bool kept_start = keep_ && start_run_ && v_ == v_;  // not NaN
    if ((below_ && down) || (above_ && up) || kept_start) emit(TurningPoint<T>{v_, at_});
    below_ = up;
    above_ = down;
    start_run_ = false;
    v_ = w;
    at_ = index;
  }

  // push() for every value of `values`, the first at sample index `first`,
  // with the turning points written to `out` (room for values.size()) and
  // their number returned. Past the first run branch-free: each candidate is
  // stored at the next free slot and kept only when it qualifies, which on a
  // noisy record is several times faster than deciding each value by
  // branches.
  std::size_t scan(std::span<const T> values, std::int64_t first, TurningPoint<T>* out) {
    std::size_t count = 0;
    std::size_t k = 0;
    // The first run, where the start rules apply, value by value.
    const auto keep = [&](const TurningPoint<T>& p) { out[count++] = p; };
    for (; k < values.size() && (!started_ || start_run_); ++k)
      push(values[k], first + static_cast<std::int64_t>(k), keep);
    // After it, TSEXTRM's loop; a held value's index is that of the value
    // before the one that ends its run.
    unsigned below = below_;
    unsigned above = above_;
    T v = v_;
    const std::size_t n = values.size();
#pragma GCC unroll 4
    for (std::size_t j = k; j < n; ++j) {
      const T w = values[j];
      const unsigned up = w > v;
      const unsigned down = w < v;
      const unsigned flat = w == v;
      out[count] = TurningPoint<T>{v, first + static_cast<std::int64_t>(j) - 1};
      count += (below & down) | (above & up);
      below = up | (flat & below);
      above = down | (flat & above);
      v = w;
    }
    if (k < n && !start_run_) {
      below_ = below != 0;
      above_ = above != 0;
      v_ = v;
      at_ = first + static_cast<std::int64_t>(values.size()) - 1;
    }
    return count;
  }

  // The end of the series: with Ends::keep its last value (or its only run)
  // is a turning point.
  template <class Emit>
  void finish(Emit&& emit) {
    if (keep_ && started_ && v_ == v_) emit(TurningPoint<T>{v_, at_});
    started_ = false;
  }

 private:
  bool keep_;
  bool started_ = false;
  bool start_run_ = true;  // the current run is the series' first
  bool below_ = false;     // the current run was entered from a smaller value
  bool above_ = false;     // ... from a larger one
  T v_{};
  std::int64_t at_ = 0;
};

// The four-point rule of TSRAIN2 (see cycles/rainflow.hpp) on turning
// points pushed one at a time: each closed cycle S2-S3 goes to `emit`,
// counting 1, with its points' sample indices.
template <class T>
class FourPointStack {
 public:
  template <class Emit>
  void push(const TurningPoint<T>& point, Emit&& emit) {
    stack_.push_back(point);
    while (stack_.size() >= 4) {
      const std::size_t top = stack_.size();
      const T s1 = stack_[top - 4].value;
      const T s2 = stack_[top - 3].value;
      const T s3 = stack_[top - 2].value;
      const T s4 = stack_[top - 1].value;
      const bool cycle =
          s1 < s4 ? (s1 <= s3 && s3 <= s2 && s2 <= s4) : (s4 <= s2 && s2 <= s3 && s3 <= s1);
      if (!cycle) break;
      emit(Cycle<T>{s2, s3, 1.0, stack_[top - 3].index, stack_[top - 2].index});
      stack_[top - 3] = stack_[top - 1];
      stack_.resize(top - 2);
    }
  }

  // The points no cycle has closed, in order.
  [[nodiscard]] const std::vector<TurningPoint<T>>& residue() const { return stack_; }

 private:
  std::vector<TurningPoint<T>> stack_;
};

// Counts the cycles of a series handed over in chunks of any size, by the
// four-point rule and the conventions given: the same cycles, in the same
// order, however the series is split. With the default conventions the
// cycles are those TSRAIN2 counts of TSEXTRM's turning points, with the same
// ranges in the same order.
//
//   series -2, 1, -3, 5, -1, 3, -4, 4, -2 with Ends::keep, Residue::half:
//   closed -1-3 (range 4); residue -2, 1, -3, 5, -4, 4, -2 gives the half
//   cycles of ranges 3, 4, 8, 9, 8, 6: in all 3 (0.5), 4 (1.5), 6 (0.5),
//   8 (1.0), 9 (0.5).
template <class T>
class CycleCounter {
 public:
  explicit CycleCounter(Conventions conventions)
      : conventions_(conventions), finder_(conventions.ends) {}

  // The next values of the series; `sink` gets each cycle they close.
  template <class Sink>
  void feed(std::span<const T> chunk, Sink&& sink) {
    points_.resize(kPiece);
    while (!chunk.empty()) {
      const std::span<const T> piece = chunk.first(std::min(chunk.size(), kPiece));
      const std::size_t found = finder_.scan(piece, next_, points_.data());
      next_ += static_cast<std::int64_t>(piece.size());
      chunk = chunk.subspan(piece.size());
      turning_points_ += static_cast<std::int64_t>(found);
      for (std::size_t i = 0; i < found; ++i) {
        stack_.push(points_[i], [&](const Cycle<T>& c) {
          ++closed_;
          sink(c);
        });
      }
    }
  }

  // The end of the series: the last turning point and the residue, by the
  // residue convention, go to `sink`.
  template <class Sink>
  void finish(Sink&& sink) {
    finder_.finish([&](const TurningPoint<T>& p) {
      ++turning_points_;
      stack_.push(p, [&](const Cycle<T>& c) {
        ++closed_;
        sink(c);
      });
    });
    const std::vector<TurningPoint<T>>& rest = stack_.residue();
    if (conventions_.residue == Residue::half) {
      // L points make (L + 1) / 2 cycles, as TSRAIN2 counts them.
      closed_ += static_cast<std::int64_t>((rest.size() + 1) / 2);
      for (std::size_t i = 1; i < rest.size(); ++i)
        sink(Cycle<T>{rest[i - 1].value, rest[i].value, 0.5, rest[i - 1].index, rest[i].index});
      return;
    }
    count_repeated(rest, sink);
  }

  // The turning points found, and the cycles counted (a residue of L points
  // counting (L + 1) / 2 with Residue::half, as TSRAIN2 counts them).
  [[nodiscard]] std::int64_t turning_points() const { return turning_points_; }
  [[nodiscard]] std::int64_t cycles() const { return closed_; }

 private:
  // The residue followed by itself, reduced to turning points again where
  // the copies join, counted afresh: its closed cycles count 1 each.
  template <class Sink>
  void count_repeated(const std::vector<TurningPoint<T>>& rest, Sink&& sink) {
    TurningPointFinder<T> joined(Ends::keep);
    FourPointStack<T> again;
    const auto on_point = [&](const TurningPoint<T>& p) {
      again.push(p, [&](const Cycle<T>& c) {
        ++closed_;
        sink(c);
      });
    };
    for (int copy = 0; copy < 2; ++copy) {
      for (const TurningPoint<T>& p : rest)
        joined.push(p.value, p.index, on_point);
    }
    joined.finish(on_point);
  }

  // The values scanned for turning points at a time.
  static constexpr std::size_t kPiece = 4096;

  Conventions conventions_;
  TurningPointFinder<T> finder_;
  std::vector<TurningPoint<T>> points_;  // of the piece being scanned
  FourPointStack<T> stack_;
  std::int64_t next_ = 0;
  std::int64_t turning_points_ = 0;
  std::int64_t closed_ = 0;
};

// Every turning point of a whole series, in order, by the ends convention
// given: with Ends::drop the points TSEXTRM finds, each with the index of
// the sample it stands at (a held value at the last sample of its run).
template <class T>
[[nodiscard]] std::vector<TurningPoint<T>> find_turning_points(std::span<const T> series,
                                                               Ends ends) {
  std::vector<TurningPoint<T>> points(series.size() + 1);
  TurningPointFinder<T> finder(ends);
  std::size_t found = finder.scan(series, 0, points.data());
  finder.finish([&](const TurningPoint<T>& p) { points[found++] = p; });
  points.resize(found);
  return points;
}

// Every cycle of a whole series, in the order counted.
template <class T>
[[nodiscard]] std::vector<Cycle<T>> count_cycles(std::span<const T> series,
                                                 Conventions conventions) {
  std::vector<Cycle<T>> cycles;
  CycleCounter<T> counter(conventions);
  const auto keep = [&](const Cycle<T>& c) { cycles.push_back(c); };
  counter.feed(series, keep);
  counter.finish(keep);
  return cycles;
}

}  // namespace skaldur::cycles
