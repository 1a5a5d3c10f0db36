#include "batch/job_options_json.hpp"

#include <string>

namespace skaldur::batch {
namespace {

// The value `named` gives for the text at `key`, or bad input naming it.
template <class T, class Named>
Outcome<T> named_at(const Json& j, const char* key, Named named) {
  const auto text = j.at(key).get<std::string>();
  const std::optional<T> value = named(text);
  if (!value) {
    return bad_input("the job of the shard folders has an unknown " + std::string(key) + " '" +
                     text + "'");
  }
  return *value;
}

Json mean_stress_json(const damage::MeanStress& m) {
  Json j;
  j["method"] = std::string(name_of(m.method));
  if (m.method == damage::MeanStressMethod::dnv) j["p"] = m.p;
  if (m.method == damage::MeanStressMethod::goodman) j["ultimate"] = m.ultimate;
  return j;
}

Outcome<damage::MeanStress> mean_stress_of(const Json& j) {
  auto method = named_at<damage::MeanStressMethod>(j, "method", damage::mean_stress_named);
  if (!method) return textio::fail(method.error());
  damage::MeanStress m;
  m.method = *method;
  if (m.method == damage::MeanStressMethod::dnv) m.p = j.at("p").get<double>();
  if (m.method == damage::MeanStressMethod::goodman) m.ultimate = j.at("ultimate").get<double>();
  return m;
}

Json matrix_json(const cycles::MatrixSpec& shape) {
  Json j;
  j["kind"] = std::string(name_of(shape.kind));
  switch (shape.kind) {
    case cycles::MatrixKind::range_mean:
      j["range_bin"] = shape.first_bin;
      j["mean_bin"] = shape.second_bin;
      break;
    case cycles::MatrixKind::from_to: j["bin"] = shape.first_bin; break;
    case cycles::MatrixKind::range: j["range_bin"] = shape.first_bin; break;
  }
  return j;
}

Outcome<cycles::MatrixSpec> matrix_of(const Json& j) {
  auto kind = named_at<cycles::MatrixKind>(j, "kind", cycles::matrix_kind_named);
  if (!kind) return textio::fail(kind.error());
  cycles::MatrixSpec shape;
  shape.kind = *kind;
  switch (shape.kind) {
    case cycles::MatrixKind::range_mean:
      shape.first_bin = j.at("range_bin").get<double>();
      shape.second_bin = j.at("mean_bin").get<double>();
      break;
    case cycles::MatrixKind::from_to:
      shape.first_bin = shape.second_bin = j.at("bin").get<double>();
      break;
    case cycles::MatrixKind::range: shape.first_bin = j.at("range_bin").get<double>(); break;
  }
  return shape;
}

}  // namespace

void add_conventions(Json& j, const cycles::Conventions& conventions) {
  j["ends"] = std::string(name_of(conventions.ends));
  j["residue"] = std::string(name_of(conventions.residue));
}

Outcome<cycles::Conventions> conventions_of(const Json& j) {
  auto ends = named_at<cycles::Ends>(j, "ends", cycles::ends_named);
  if (!ends) return textio::fail(ends.error());
  auto residue = named_at<cycles::Residue>(j, "residue", cycles::residue_named);
  if (!residue) return textio::fail(residue.error());
  return cycles::Conventions{*ends, *residue};
}

void add_settings(Json& j, const DamageSettings& settings) {
  j["damage"] = std::string(name_of(settings.method));
  j["mean_stress"] = mean_stress_json(settings.mean_stress);
  j["static_stress"] = settings.static_stress;
}

Outcome<DamageSettings> settings_of(const Json& j) {
  auto method = named_at<damage::DamageMethod>(j, "damage", damage::damage_method_named);
  if (!method) return textio::fail(method.error());
  auto mean_stress = mean_stress_of(j.at("mean_stress"));
  if (!mean_stress) return textio::fail(mean_stress.error());
  return DamageSettings{*method, *mean_stress, j.at("static_stress").get<double>()};
}

Json outputs_json(const OutputRequest& outputs) {
  Json j = Json::object();
  if (outputs.matrix) j["matrix"] = matrix_json(*outputs.matrix);
  if (outputs.del) {
    Json del;
    del["m"] = outputs.del->m;
    if (outputs.del->n_eq) {
      del["n_eq"] = *outputs.del->n_eq;
    } else {
      del["f_eq"] = outputs.del->f_eq;
    }
    j["del"] = del;
  }
  if (outputs.equivalent_range) j["equivalent_range"] = {{"n_eq", *outputs.equivalent_range}};
  return j;
}

Outcome<OutputRequest> outputs_of(const Json& j) {
  if (!j.is_object())
    return bad_input("the job of the shard folders has outputs that are not a table");
  OutputRequest outputs;
  if (j.contains("matrix")) {
    auto shape = matrix_of(j.at("matrix"));
    if (!shape) return textio::fail(shape.error());
    outputs.matrix = *shape;
  }
  if (j.contains("del")) {
    const Json& del = j.at("del");
    DelRequest request;
    request.m = del.at("m").get<std::vector<double>>();
    if (del.contains("n_eq")) {
      request.n_eq = del.at("n_eq").get<double>();
    } else {
      request.f_eq = del.at("f_eq").get<double>();
    }
    outputs.del = std::move(request);
  }
  if (j.contains("equivalent_range")) {
    outputs.equivalent_range = j.at("equivalent_range").at("n_eq").get<double>();
  }
  return outputs;
}

}  // namespace skaldur::batch
