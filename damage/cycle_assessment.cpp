#include "damage/cycle_assessment.hpp"

#include <sstream>
#include <type_traits>

#include "cycles/cycle_counter.hpp"
#include "damage/curve_life.hpp"
#include "damage/equivalent_load.hpp"

namespace skaldur::damage {

std::string_view name_of(DamageMethod method) {
  return method == DamageMethod::exact ? "exact" : "blocks";
}

std::optional<DamageMethod> damage_method_named(std::string_view name) {
  if (name == "blocks") return DamageMethod::blocks;
  if (name == "exact") return DamageMethod::exact;
  return std::nullopt;
}

bool CycleRequest::damage_only() const {
  return conventions == cycles::Conventions{} && method == DamageMethod::blocks && !matrix &&
         del_exponents.empty();
}

namespace {

// The four-point rule needs four turning points to count a cycle.
constexpr std::int64_t kLeastTurningPoints = 4;

// What the cycles of a series add up to while they are counted; the first
// failure stops every sum.
class CycleSums {
 public:
  CycleSums(const CycleRequest& request, const BlockTally& tally, double to_stress,
            std::optional<double> thick_fac, std::span<const double> sn_curve,
            const cycles::ValueBounds& stress)
      : request_(request),
        tally_(tally),
        to_stress_(to_stress),
        thick_fac_(thick_fac),
        life_(sn_curve),
        del_(request.del_exponents) {
    if (request.matrix) matrix_.emplace(*request.matrix, stress);
  }

  template <class T>
  void add(const cycles::Cycle<T>& c) {
    if (failure_) return;
    const double raw = c.range();
    if (!add_to_block(raw, c.count)) return fail(AssessFailure::range_beyond_blocks);
    const double range = raw * to_stress_;
    const double from = static_cast<double>(c.from) * to_stress_ + request_.static_stress;
    const double to = static_cast<double>(c.to) * to_stress_ + request_.static_stress;
    if (matrix_ && !matrix_->add(from, to, range, c.count))
      return fail(AssessFailure::beyond_matrix);
    del_.add(range, c.count);
    if (request_.method != DamageMethod::exact || !thick_fac_) return;
    const std::optional<double> s = request_.mean_stress.method == MeanStressMethod::none
                                        ? std::optional<double>(range)
                                        : corrected_range(request_.mean_stress, from, to);
    if (!s) return fail(AssessFailure::mean_at_ultimate);
    exact_damage_ += c.count * life_.cycle_damage(*s * *thick_fac_);
  }

  [[nodiscard]] const BlockTally& tally() const { return tally_; }
  [[nodiscard]] std::optional<AssessFailure> failure() const { return failure_; }
  [[nodiscard]] double exact_damage() const { return exact_damage_; }
  [[nodiscard]] std::vector<cycles::MatrixCell> matrix() const {
    return matrix_ ? matrix_->cells() : std::vector<cycles::MatrixCell>{};
  }
  [[nodiscard]] const std::vector<double>& del_sums() const { return del_.sums(); }

 private:
  // The block of the range, as TSRAIN2 finds it: the quotient compared in
  // double, so that a huge or NaN range never reaches the conversion.
  bool add_to_block(double range, double count) {
    const double q = range / tally_.bloc_len;
    if (!(q >= 0.0 && q < static_cast<double>(tally_.n_blocks))) return false;
    tally_.cyc_count[static_cast<std::size_t>(q)] += count;
    return true;
  }

  void fail(AssessFailure kind) { failure_ = kind; }

  const CycleRequest& request_;
  BlockTally tally_;
  double to_stress_;
  std::optional<double> thick_fac_;
  CurveLife life_;
  DelSums del_;
  std::optional<cycles::MatrixCounter> matrix_;
  double exact_damage_ = 0.0;
  std::optional<AssessFailure> failure_;
};

textio::Result<CycleAssessment, AssessError> failure(AssessFailure kind) {
  return textio::fail(AssessError{kind, "\n  *** " + std::string(describe(kind)) + " ***\n"});
}

}  // namespace

template <class T>
textio::Result<CycleAssessment, AssessError> assess_cycles(std::span<const T> series,
                                                           std::span<const double> sn_curve,
                                                           const CurveOpt& curve_opt,
                                                           const BlockRequest& blocks,
                                                           const CycleRequest& request) {
  if constexpr (std::is_same_v<T, float>) {
    if (request.damage_only()) {
      auto plain = assess(series, sn_curve, curve_opt, blocks);
      if (!plain) return textio::fail(plain.error());
      return CycleAssessment{std::move(plain).value(), {}, {}};
    }
  }
  CycleAssessment out;
  out.del_sums.assign(request.del_exponents.size(), 0.0);
  const SeriesBounds<T> bounds = series_bounds(series);
  const double ts_range = series_range(bounds);
  if (!(ts_range > 0.0)) {
    out.assessment = nothing_counted(blocks);
    return out;
  }

  BlockTally tally;
  tally.n_blocks = blocks_used(static_cast<double>(blocks.blocks));
  tally.bloc_len = ts_range / tally.n_blocks;
  tally.ts_range = ts_range;
  std::ostringstream ignored;
  const std::optional<double> thick_fac = DMG02A(sn_curve, curve_opt, ignored);
  // Every stress value of a cycle lies within those of the series' extremes.
  const double to_stress = blocks.force_unit_factor * effective_scf(curve_opt);
  const cycles::ValueBounds stress{
      static_cast<double>(bounds.low) * to_stress + request.static_stress,
      static_cast<double>(bounds.high) * to_stress + request.static_stress,
      (static_cast<double>(bounds.high) - static_cast<double>(bounds.low)) * to_stress};
  CycleSums sums(request, tally, to_stress, thick_fac, sn_curve, stress);

  cycles::CycleCounter<T> counter(request.conventions);
  const auto add = [&](const cycles::Cycle<T>& c) { sums.add(c); };
  counter.feed(series, add);
  counter.finish(add);

  if (counter.turning_points() < kLeastTurningPoints) return failure(AssessFailure::too_short);
  if (sums.failure() == AssessFailure::range_beyond_blocks) return failure(*sums.failure());
  BlockTally counted = sums.tally();
  counted.n_cycles = static_cast<double>(counter.cycles());
  auto assessed = assess_blocks(counted, sn_curve, curve_opt, blocks.force_unit_factor);
  if (!assessed) return textio::fail(assessed.error());
  if (sums.failure()) return failure(*sums.failure());

  out.assessment = std::move(assessed).value();
  if (request.method == DamageMethod::exact) out.assessment.damage = sums.exact_damage();
  out.matrix = sums.matrix();
  out.del_sums = sums.del_sums();
  return out;
}

template textio::Result<CycleAssessment, AssessError> assess_cycles<float>(std::span<const float>,
                                                                           std::span<const double>,
                                                                           const CurveOpt&,
                                                                           const BlockRequest&,
                                                                           const CycleRequest&);
template textio::Result<CycleAssessment, AssessError> assess_cycles<double>(std::span<const double>,
                                                                            std::span<const double>,
                                                                            const CurveOpt&,
                                                                            const BlockRequest&,
                                                                            const CycleRequest&);

}  // namespace skaldur::damage
