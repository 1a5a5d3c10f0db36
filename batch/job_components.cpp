#include "batch/job_components.hpp"

#include <cstdio>

namespace skaldur::batch {
namespace {

// The joint's keys of its nominal stresses, in the order of its components.
constexpr std::array<std::string_view, 3> kNominal = {"axial", "in_plane", "out_of_plane"};

// The SCF keys of a joint's `scf` table.
constexpr std::array<std::string_view, 4> kJointScf = {"axial_crown", "axial_saddle", "in_plane",
                                                       "out_of_plane"};

// The component `{ column = C, factor = K }` at `key` ("components[2]").
Outcome<Component> read_component(const Fields& f, const toml::node& node, const std::string& key) {
  const toml::table* table = node.as_table();
  if (table == nullptr) {
    return bad_input(place(f.file(), line_of(node), key) +
                     ": not a table, such as { column = \"fx\", factor = 2.9 }");
  }
  const Fields c = f.inner(*table, key);
  if (auto e = c.unknown_key({"column", "factor"}, "a component")) return textio::fail(*e);
  auto column = read_column_ref(c, "column");
  if (!column) return textio::fail(column.error());
  auto factor = c.real("factor", std::nullopt);
  if (!factor) return textio::fail(factor.error());
  return Component{*column, *factor, line_of(*c.get("column")), key + ".column"};
}

// `components`: a list of one component or more, counted from 1 in messages.
std::optional<BatchError> read_components(const Fields& f, const toml::node& node, Hotspot& h) {
  const toml::array* list = node.as_array();
  if (list == nullptr) {
    return f.error("components",
                   "not a list of components, such as [{ column = \"fx\", factor = 2.9 }]");
  }
  if (list->empty()) return f.error("components", "an empty list; it needs a component or more");
  for (std::size_t i = 0; i < list->size(); ++i) {
    auto component = read_component(f, *list->get(i), "components[" + std::to_string(i + 1) + "]");
    if (!component) return component.error();
    h.components.push_back(std::move(component).value());
  }
  return std::nullopt;
}

// The joint's `scf` table: its four SCFs, each required, finite and above 0.
Outcome<damage::JointScf> read_joint_scf(const Fields& f) {
  const toml::node* node = f.get("scf");
  const char* const example =
      "{ axial_crown = 2.5, axial_saddle = 3.1, in_plane = 2.2, out_of_plane = 2.8 }";
  if (node == nullptr) {
    return textio::fail(f.error("scf", std::string("missing; it is required: ") + example));
  }
  if (!node->is_table()) {
    return textio::fail(f.error("scf", std::string("not a table of SCFs, such as ") + example));
  }
  const Fields s = f.inner(*node->as_table(), "scf");
  if (auto e = s.unknown_key({"axial_crown", "axial_saddle", "in_plane", "out_of_plane"},
                             "a joint's scf")) {
    return textio::fail(*e);
  }
  std::array<double, kJointScf.size()> values{};
  for (std::size_t i = 0; i < kJointScf.size(); ++i) {
    auto value = s.real(kJointScf[i], std::nullopt);
    if (!value) return textio::fail(value.error());
    if (*value <= 0.0) return textio::fail(s.error(kJointScf[i], "must be above 0"));
    values[i] = *value;
  }
  return damage::JointScf{values[0], values[1], values[2], values[3]};
}

// "NAME-045": the point's name, its angle from the crown in three digits.
std::string point_name(const std::string& joint, int point) {
  char angle[8];
  std::snprintf(angle, sizeof angle, "-%03d", damage::joint_angle(point));
  return joint + angle;
}

}  // namespace

Outcome<ColumnRef> read_column_ref(const Fields& f, std::string_view key) {
  const toml::node* column = f.get(key);
  if (column == nullptr) return textio::fail(f.error(key, "missing; it is required"));
  ColumnRef ref;
  if (column->is_integer()) {
    const std::int64_t n = column->as_integer()->get();
    if (n < 2 || n > 1'000'000) {
      return textio::fail(f.error(key, "a stress column is 2 or more (column 1 is the time)"));
    }
    ref.number = static_cast<int>(n);
  } else if (column->is_string() && !column->as_string()->get().empty()) {
    ref.name = column->as_string()->get();
  } else {
    return textio::fail(f.error(key, "neither a column number nor a column name"));
  }
  return ref;
}

std::optional<BatchError> read_stress(const Fields& f, Hotspot& h) {
  const toml::node* components = f.get("components");
  if (components == nullptr) {
    auto column = read_column_ref(f, "column");
    if (!column) return column.error();
    h.column = *column;
    h.column_line = line_of(*f.get("column"));
    return std::nullopt;
  }
  if (f.get("column") != nullptr) {
    return f.error("components", "give `column` or `components`, not both");
  }
  return read_components(f, *components, h);
}

Outcome<Joint> read_joint(const Fields& f) {
  if (auto e =
          f.unknown_key({"name", "axial", "in_plane", "out_of_plane", "scf", "curve", "curve_file",
                         "thickness", "dff", "blocks", "damage", "mean_stress", "static_stress"},
                        "[[joint]]")) {
    return textio::fail(*e);
  }
  Joint joint;
  joint.line = f.line();
  auto name = f.text("name", std::nullopt);
  if (!name) return textio::fail(name.error());
  if (name->empty()) return textio::fail(f.error("name", "empty"));
  joint.name = *name;
  for (std::size_t i = 0; i < kNominal.size(); ++i) {
    auto column = read_column_ref(f, kNominal[i]);
    if (!column) return textio::fail(column.error());
    joint.nominal[i] = {*column, 0.0, line_of(*f.get(kNominal[i])), std::string(kNominal[i])};
  }
  auto scf = read_joint_scf(f);
  if (!scf) return textio::fail(scf.error());
  joint.scf = *scf;
  return joint;
}

std::vector<Hotspot> joint_points(const Joint& joint, const Hotspot& common) {
  std::vector<Hotspot> points;
  for (int point = 1; point <= damage::kJointPoints; ++point) {
    const damage::PointFactors at = damage::joint_point(joint.scf, point);
    const std::array<double, 3> factors = {at.axial, at.in_plane, at.out_of_plane};
    Hotspot h = common;
    h.name = point_name(joint.name, point);
    h.joint = joint.name;
    h.scf = 1.0;
    h.line = joint.line;
    for (std::size_t i = 0; i < factors.size(); ++i) {
      if (factors[i] == 0.0) continue;
      Component c = joint.nominal[i];
      c.factor = factors[i];
      h.components.push_back(std::move(c));
    }
    points.push_back(std::move(h));
  }
  return points;
}

}  // namespace skaldur::batch
