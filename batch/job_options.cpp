#include "batch/job_options.hpp"

#include <cmath>
#include <string>
#include <string_view>

#include "cycles/cycle.hpp"
#include "cycles/matrix.hpp"
#include "damage/cycle_assessment.hpp"
#include "damage/mean_stress.hpp"

namespace skaldur::batch {
namespace {

// The N_eq of `equivalent_range` when the job gives none.
constexpr double kEquivalentCycles = 1.0e7;

// The name at `key` that `named` knows (one of `choices`); `fallback` when
// the key is absent, or an error when it is required.
template <class T, class Named>
Outcome<T> choice(const Fields& f, std::string_view key, std::optional<T> fallback, Named named,
                  std::string_view choices) {
  const toml::node* node = f.get(key);
  if (node == nullptr) {
    if (fallback) return *fallback;
    return textio::fail(f.error(key, "missing; it is required (" + std::string(choices) + ")"));
  }
  if (!node->is_string()) {
    return textio::fail(f.error(key, "not a text; it is " + std::string(choices)));
  }
  const std::string& text = node->as_string()->get();
  const std::optional<T> value = named(text);
  if (!value) {
    return textio::fail(f.error(key, "'" + text + "' is not known; it is " + std::string(choices)));
  }
  return *value;
}

// The table at `key` (inline or not); a null pointer when the key is absent.
Outcome<const toml::table*> table_at(const Fields& f, std::string_view key,
                                     std::string_view example) {
  const toml::node* node = f.get(key);
  if (node == nullptr) return static_cast<const toml::table*>(nullptr);
  if (!node->is_table()) {
    return textio::fail(f.error(key, "not a table, such as " + std::string(example)));
  }
  return node->as_table();
}

// A number above 0; `fallback` when absent, or an error when it is required.
Outcome<double> above_zero(const Fields& f, std::string_view key, std::optional<double> fallback) {
  auto value = f.real(key, fallback);
  if (value && *value <= 0.0) return textio::fail(f.error(key, "must be above 0"));
  return value;
}

// `{ method = "dnv", p = 0.8 }`, `{ method = "goodman", ultimate = 500.0 }`
// or `{ method = "none" }`: each method takes its own parameter only.
Outcome<damage::MeanStress> read_mean_stress(const Fields& f) {
  if (auto e = f.unknown_key({"method", "p", "ultimate"}, "mean_stress")) return textio::fail(*e);
  auto method = choice<damage::MeanStressMethod>(
      f, "method", std::nullopt, damage::mean_stress_named, "\"none\", \"dnv\" or \"goodman\"");
  if (!method) return textio::fail(method.error());
  damage::MeanStress m;
  m.method = *method;
  const bool dnv = m.method == damage::MeanStressMethod::dnv;
  const bool goodman = m.method == damage::MeanStressMethod::goodman;
  if (!dnv && f.get("p") != nullptr) {
    return textio::fail(f.error("p", "only method \"dnv\" takes p"));
  }
  if (!goodman && f.get("ultimate") != nullptr) {
    return textio::fail(f.error("ultimate", "only method \"goodman\" takes ultimate"));
  }
  if (dnv) {
    auto p = f.real("p", std::nullopt);
    if (!p) return textio::fail(p.error());
    if (*p < 0.0 || *p > 1.0) return textio::fail(f.error("p", "must be within 0 ... 1"));
    m.p = *p;
  }
  if (goodman) {
    auto ultimate = above_zero(f, "ultimate", std::nullopt);
    if (!ultimate) return textio::fail(ultimate.error());
    m.ultimate = *ultimate;
  }
  return m;
}

// `damage`, `mean_stress` and `static_stress` of the table `f`, each over
// what `s` holds when given.
std::optional<BatchError> read_damage_settings(const Fields& f, DamageSettings& s) {
  auto method = choice<damage::DamageMethod>(f, "damage", s.method, damage::damage_method_named,
                                             "\"blocks\" or \"exact\"");
  if (!method) return method.error();
  s.method = *method;
  auto table = table_at(f, "mean_stress", "{ method = \"dnv\", p = 0.8 }");
  if (!table) return table.error();
  if (*table != nullptr) {
    auto mean_stress = read_mean_stress(f.inner(**table, "mean_stress"));
    if (!mean_stress) return mean_stress.error();
    s.mean_stress = *mean_stress;
  }
  auto static_stress = f.real("static_stress", s.static_stress);
  if (!static_stress) return static_stress.error();
  s.static_stress = *static_stress;
  return std::nullopt;
}

// `{ kind = "range-mean", range_bin = 2.0, mean_bin = 5.0 }`,
// `{ kind = "from-to", bin = 2.0 }` (both turning points in bins of one
// width) or `{ kind = "range", range_bin = 2.0 }`.
Outcome<cycles::MatrixSpec> read_matrix(const Fields& f) {
  if (auto e = f.unknown_key({"kind", "range_bin", "mean_bin", "bin"}, "outputs.matrix")) {
    return textio::fail(*e);
  }
  auto kind = choice<cycles::MatrixKind>(f, "kind", std::nullopt, cycles::matrix_kind_named,
                                         "\"range-mean\", \"from-to\" or \"range\"");
  if (!kind) return textio::fail(kind.error());
  cycles::MatrixSpec shape;
  shape.kind = *kind;
  const std::string of_kind = "outputs.matrix of kind \"" + std::string(name_of(*kind)) + "\"";
  std::optional<BatchError> e;
  switch (*kind) {
    case cycles::MatrixKind::range_mean:
      e = f.unknown_key({"kind", "range_bin", "mean_bin"}, of_kind);
      break;
    case cycles::MatrixKind::from_to: e = f.unknown_key({"kind", "bin"}, of_kind); break;
    case cycles::MatrixKind::range: e = f.unknown_key({"kind", "range_bin"}, of_kind); break;
  }
  if (e) return textio::fail(*e);
  auto first =
      above_zero(f, *kind == cycles::MatrixKind::from_to ? "bin" : "range_bin", std::nullopt);
  if (!first) return textio::fail(first.error());
  shape.first_bin = *first;
  if (*kind == cycles::MatrixKind::from_to) shape.second_bin = *first;
  if (*kind == cycles::MatrixKind::range_mean) {
    auto second = above_zero(f, "mean_bin", std::nullopt);
    if (!second) return textio::fail(second.error());
    shape.second_bin = *second;
  }
  return shape;
}

// `{ m = [3, 4, 5], f_eq = 1.0 }` or `{ m = [3], n_eq = 1e7 }`.
Outcome<DelRequest> read_del(const Fields& f) {
  if (auto e = f.unknown_key({"m", "f_eq", "n_eq"}, "outputs.del")) return textio::fail(*e);
  const toml::node* m = f.get("m");
  if (m == nullptr) return textio::fail(f.error("m", "missing; it is required"));
  if (!m->is_array()) return textio::fail(f.error("m", "not a list of numbers, such as [3, 4, 5]"));
  if (m->as_array()->empty()) return textio::fail(f.error("m", "an empty list"));
  DelRequest del;
  for (const toml::node& value : *m->as_array()) {
    if (!value.is_number()) return textio::fail(f.error("m", "holds something not a number"));
    const double x = value.is_integer() ? static_cast<double>(value.as_integer()->get())
                                        : value.as_floating_point()->get();
    if (!std::isfinite(x)) return textio::fail(f.error("m", "holds a number that is not finite"));
    if (x <= 0.0) return textio::fail(f.error("m", "every exponent must be above 0"));
    del.m.push_back(x);
  }
  if (f.get("f_eq") != nullptr && f.get("n_eq") != nullptr) {
    return textio::fail(f.error("n_eq", "give f_eq or n_eq, not both"));
  }
  auto f_eq = above_zero(f, "f_eq", del.f_eq);
  if (!f_eq) return textio::fail(f_eq.error());
  del.f_eq = *f_eq;
  if (f.get("n_eq") != nullptr) {
    auto n_eq = above_zero(f, "n_eq", std::nullopt);
    if (!n_eq) return textio::fail(n_eq.error());
    del.n_eq = *n_eq;
  }
  return del;
}

// The `[outputs]` table: `matrix`, `del` and `equivalent_range`, each only
// when asked for.
std::optional<BatchError> read_outputs(const Fields& f, OutputRequest& out) {
  if (auto e = f.unknown_key({"matrix", "del", "equivalent_range"}, "[outputs]")) return e;
  auto matrix = table_at(f, "matrix", "{ kind = \"range\", range_bin = 2.0 }");
  if (!matrix) return matrix.error();
  if (*matrix != nullptr) {
    auto shape = read_matrix(f.inner(**matrix, "matrix"));
    if (!shape) return shape.error();
    out.matrix = *shape;
  }
  auto del = table_at(f, "del", "{ m = [3, 5], f_eq = 1.0 }");
  if (!del) return del.error();
  if (*del != nullptr) {
    auto request = read_del(f.inner(**del, "del"));
    if (!request) return request.error();
    out.del = std::move(request).value();
  }
  auto equivalent = table_at(f, "equivalent_range", "{ n_eq = 1e7 }");
  if (!equivalent) return equivalent.error();
  if (*equivalent != nullptr) {
    const Fields e = f.inner(**equivalent, "equivalent_range");
    if (auto unknown = e.unknown_key({"n_eq"}, "outputs.equivalent_range")) return unknown;
    auto n_eq = above_zero(e, "n_eq", kEquivalentCycles);
    if (!n_eq) return n_eq.error();
    out.equivalent_range = *n_eq;
  }
  return std::nullopt;
}

}  // namespace

std::optional<BatchError> read_job_options(const Fields& f, Job& job) {
  auto ends = choice<cycles::Ends>(f, "ends", cycles::Ends::drop, cycles::ends_named,
                                   "\"drop\" or \"keep\"");
  if (!ends) return ends.error();
  auto residue = choice<cycles::Residue>(f, "residue", cycles::Residue::half, cycles::residue_named,
                                         "\"half\" or \"repeated\"");
  if (!residue) return residue.error();
  job.conventions = {*ends, *residue};
  if (auto e = read_damage_settings(f, job.settings)) return e;
  auto outputs = table_at(f, "outputs", "[outputs]");
  if (!outputs) return outputs.error();
  if (*outputs != nullptr) return read_outputs(f.inner(**outputs, "outputs"), job.outputs);
  return std::nullopt;
}

std::optional<BatchError> read_hotspot_settings(const Fields& job_fields, const Fields& f,
                                                const Job& job, Hotspot& h) {
  h.settings = job.settings;
  if (auto e = read_damage_settings(f, h.settings)) return e;
  if (h.settings.mean_stress.method != damage::MeanStressMethod::none &&
      h.settings.method == damage::DamageMethod::blocks) {
    const Fields& from = f.get("mean_stress") != nullptr ? f : job_fields;
    return from.error("mean_stress", subject(h) +
                                         " runs block damage: mean-stress correction needs "
                                         "damage = \"exact\"");
  }
  return std::nullopt;
}

}  // namespace skaldur::batch
