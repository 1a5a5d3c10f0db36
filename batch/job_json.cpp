#include "batch/job_json.hpp"

#include <string>

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

Json hotspots_json(const Job& job) {
  Json hotspots = Json::array();
  for (const Hotspot& h : job.hotspots) {
    Json column = h.column.number > 0 ? Json(h.column.number) : Json(h.column.name);
    hotspots.push_back({{"name", h.name},
                        {"column", column},
                        {"curve", curve_json(h.curve)},
                        {"scf", h.scf},
                        {"thickness", h.thickness},
                        {"dff", h.dff},
                        {"blocks", h.blocks}});
  }
  return hotspots;
}

// The fixed parameter `i` (from 1) of a curve's "fixed_parameters".
std::optional<double> fixed_parameter(const Json& curve, std::size_t i) {
  const Json& fixed = curve.at("fixed_parameters");
  if (i > fixed.size()) return std::nullopt;
  return fixed.at(i - 1).get<double>();
}

// The hotspot as the damage takes it: the SCF, thickness and thickness
// factor used, from the values as read and the curve's parameters.
HotspotView hotspot_view(const Json& h) {
  const Json& curve = h.at("curve");
  const damage::CurveOpt as_read{h.at("thickness").get<double>(), h.at("scf").get<double>()};
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
    for (const Json& h : job.at("hotspots"))
      v.hotspots.push_back(hotspot_view(h));
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
