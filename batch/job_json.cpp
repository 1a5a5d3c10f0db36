#include "batch/job_json.hpp"

#include <string>

#include "batch/job_options_json.hpp"
#include "damage/damage.hpp"
#include "sncurve/record.hpp"

namespace skaldur::batch {
namespace {

// The curve's label and where it comes from, its codes, its segments and
// its fixed parameters, as far as the record holds them.
Json curve_json(const Curve& curve) {
  Json j;
  j["label"] = curve.label;
  if (curve.number > 0) {
    j["catalogue_number"] = curve.number;
  } else {
    j["file"] = curve.file;
  }
  const sncurve::RecordView record(curve.record);
  j["standard_code"] = record.standard_code();
  j["class_code"] = record.class_code();
  j["environment_code"] = record.environment_code();
  Json segments = Json::array();
  for (int s = 1; s <= record.n_sn_lin(); ++s) {
    const auto segment = record.segment(s);
    if (!segment) break;
    segments.push_back(
        {{"log_a", segment->log_a}, {"m", segment->m}, {"n_break", segment->n_break}});
  }
  j["segments"] = segments;
  Json fixed = Json::array();
  for (int p = 1; p <= record.n_fix_par(); ++p) {
    const auto value = record.fixed(p);
    if (!value) break;
    fixed.push_back(*value);
  }
  j["fixed_parameters"] = fixed;
  return j;
}

Json load_cases_json(const Job& job) {
  Json cases = Json::array();
  for (const LoadCase& c : job.load_cases) {
    cases.push_back({{"name", c.name},
                     {"file", c.file},
                     {std::string(weight_column(job.weight_kind)), c.weight},
                     {"first_time", c.first_time},
                     {"last_time", c.last_time}});
  }
  return cases;
}

Json column_json(const ColumnRef& column) {
  return column.number > 0 ? Json(column.number) : Json(column.name);
}

// The hotspot as read: its "column", or its "components" and the "joint" a
// point comes from, and "thickness_exponent_scf", the SCF that picks the
// thickness exponent.
Json hotspot_json(const Hotspot& h) {
  Json j;
  j["name"] = h.name;
  if (h.components.empty()) {
    j["column"] = column_json(h.column);
  } else {
    Json components = Json::array();
    for (const Component& c : h.components)
      components.push_back({{"column", column_json(c.column)}, {"factor", c.factor}});
    j["components"] = std::move(components);
  }
  if (!h.joint.empty()) j["joint"] = h.joint;
  j["curve"] = curve_json(h.curve);
  j["scf"] = h.scf;
  const damage::CurveOpt opt = curve_opt_of(h);
  j["thickness_exponent_scf"] =
      opt.exponent_scf > 0.0 ? opt.exponent_scf : damage::effective_scf(opt);
  j["thickness"] = h.thickness;
  j["dff"] = h.dff;
  j["blocks"] = h.blocks;
  add_settings(j, h.settings);
  return j;
}

Json hotspots_json(const Job& job) {
  Json hotspots = Json::array();
  for (const Hotspot& h : job.hotspots)
    hotspots.push_back(hotspot_json(h));
  return hotspots;
}

// The fixed parameter `i` (from 1) of a curve's "fixed_parameters".
std::optional<double> fixed_parameter(const Json& curve, std::size_t i) {
  const Json& fixed = curve.at("fixed_parameters");
  if (i > fixed.size()) return std::nullopt;
  return fixed.at(i - 1).get<double>();
}

// The working record of a curve's json: the codes, the segments written at
// segStart 9, three values each, and the fixed parameters after them, so
// that the segments give the lives the job's record gives.
Outcome<sncurve::Record> curve_record(const Json& curve) {
  const Json& segments = curve.at("segments");
  const Json& fixed = curve.at("fixed_parameters");
  constexpr std::size_t kPerSegment = 3;
  const std::size_t fix_start = sncurve::kSegStart + kPerSegment * segments.size();
  if (fix_start - 1 + fixed.size() > sncurve::kRecordSize) {
    return bad_input("the curve '" + curve.at("label").get<std::string>() +
                     "' of the shard folders' job does not fit a record");
  }
  sncurve::Record r{};
  r[0] = curve.at("standard_code").get<int>();
  r[1] = curve.at("class_code").get<int>();
  r[2] = curve.at("environment_code").get<int>();
  r[3] = static_cast<double>(segments.size());
  r[4] = static_cast<double>(kPerSegment);
  r[5] = static_cast<double>(fixed.size());
  r[6] = sncurve::kSegStart;
  r[7] = static_cast<double>(fix_start);
  std::size_t i = sncurve::kSegStart - 1;
  for (const Json& s : segments) {
    r[i++] = s.at("log_a").get<double>();
    r[i++] = s.at("m").get<double>();
    r[i++] = s.at("n_break").get<double>();
  }
  for (const Json& value : fixed)
    r[i++] = value.get<double>();
  return r;
}

// The hotspot as the damage takes it: the SCF, thickness and thickness
// factor used, from the values as read and the curve's parameters.
Outcome<HotspotView> hotspot_view(const Json& h) {
  const Json& curve = h.at("curve");
  const damage::CurveOpt as_read{h.at("thickness").get<double>(), h.at("scf").get<double>(),
                                 h.at("thickness_exponent_scf").get<double>()};
  HotspotView v;
  v.name = h.at("name").get<std::string>();
  v.curve = curve.at("label").get<std::string>();
  v.scf = damage::effective_scf(as_read);
  v.thickness = as_read.thickness;
  v.dff = h.at("dff").get<double>();
  const auto used =
      damage::thickness_factor({curve.at("standard_code").get<int>(), fixed_parameter(curve, 2),
                                fixed_parameter(curve, 3), fixed_parameter(curve, 4)},
                               as_read);
  if (used) {
    v.thickness = used->thickness;
    v.thickness_factor = used->factor;
  }
  auto settings = settings_of(h);
  if (!settings) return textio::fail(settings.error());
  v.settings = *settings;
  auto record = curve_record(curve);
  if (!record) return textio::fail(record.error());
  v.curve_record = *record;
  return v;
}

}  // namespace

Json job_json(const Job& job) {
  Json j;
  j["file"] = job.file_name;
  j["title"] = job.title;
  j["design_life"] = job.design_life;
  j["dff"] = job.dff ? Json(*job.dff) : Json(nullptr);
  j["unit"] = job.unit;
  j["force_unit_factor"] = job.force_unit_factor;
  j["blocks"] = job.blocks;
  add_conventions(j, job.conventions);
  add_settings(j, job.settings);
  j["outputs"] = outputs_json(job.outputs);
  j["load_cases"] = job.load_case_table;
  j["weight"] = std::string(weight_column(job.weight_kind));
  j["load_case_table"] = load_cases_json(job);
  j["hotspots"] = hotspots_json(job);
  return j;
}

std::string json_text(const Json& json, int indent) {
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

Outcome<JobView> view_of(const Json& job) {
  try {
    JobView v;
    v.title = job.at("title").get<std::string>();
    v.design_life = job.at("design_life").get<double>();
    v.force_unit_factor = job.at("force_unit_factor").get<double>();
    const auto kind = job.at("weight").get<std::string>();
    const auto weight = weight_kind(kind);
    if (!weight)
      return bad_input("the job of the shard folders has an unknown weight '" + kind + "'");
    v.weight_kind = *weight;
    auto conventions = conventions_of(job);
    if (!conventions) return textio::fail(conventions.error());
    v.conventions = *conventions;
    auto outputs = outputs_of(job.at("outputs"));
    if (!outputs) return textio::fail(outputs.error());
    v.outputs = std::move(outputs).value();
    for (const Json& h : job.at("hotspots")) {
      auto hotspot = hotspot_view(h);
      if (!hotspot) return textio::fail(hotspot.error());
      v.hotspots.push_back(std::move(hotspot).value());
    }
    for (const Json& c : job.at("load_case_table")) {
      v.cases.push_back({c.at("name").get<std::string>(), c.at("file").get<std::string>(),
                         c.at(kind).get<double>()});
    }
    return v;
  } catch (const nlohmann::json::exception& e) {
    return bad_input(std::string("the job of the shard folders is incomplete: ") + e.what());
  }
}

}  // namespace skaldur::batch
