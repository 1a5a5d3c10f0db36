#include "batch/outputs.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numeric>
#include <ostream>

namespace skaldur::batch {
namespace {

constexpr std::string_view kShardFile = "shard.json";
constexpr std::string_view kShardFormat = "skaldur-batch shard 1";

// A CSV field: quoted when it holds a comma, a quote, a line end or outer blanks.
void append_field(std::string& text, std::string_view field) {
  const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quote) {
    text += field;
    return;
  }
  text += '"';
  for (const char c : field) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

void append_number(std::string& text, double value) {
  std::array<char, 32> buffer{};
  const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  text.append(buffer.data(), r.ptr);
}

template <class... Fields>
void append_row(std::string& text, const Fields&... fields) {
  bool first = true;
  const auto one = [&](const auto& field) {
    if (!first) text += ',';
    first = false;
    if constexpr (std::is_arithmetic_v<std::decay_t<decltype(field)>>) {
      append_number(text, static_cast<double>(field));
    } else {
      append_field(text, field);
    }
  };
  (one(fields), ...);
  text += '\n';
}

std::optional<BatchError> write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out << text;
  if (out) out.close();
  if (!out) {
    return BatchError{kExitFailed, "cannot write " + path.string() + ": " + std::strerror(errno)};
  }
  return std::nullopt;
}

std::optional<BatchError> make_folder(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec)
    return BatchError{kExitFailed, "cannot make the folder " + dir.string() + ": " + ec.message()};
  return std::nullopt;
}

Json curve_json(const Curve& curve) {
  Json j;
  j["label"] = curve.label;
  if (curve.number > 0) {
    j["catalogue_number"] = curve.number;
  } else {
    j["file"] = curve.file;
  }
  const auto& r = curve.record;
  const auto count = [&](std::size_t i) { return static_cast<int>(std::lround(r[i])); };
  j["standard_code"] = count(0);
  j["class_code"] = count(1);
  j["environment_code"] = count(2);
  const int n_lin = count(3);
  const int per_lin = count(4);
  const int n_fix = count(5);
  const int seg = count(6);
  const int fix = count(7);
  Json segments = Json::array();
  for (int s = 0; s < n_lin; ++s) {
    const int at = seg - 1 + s * per_lin;
    if (at < 0 || at + 3 > static_cast<int>(r.size())) break;
    const auto i = static_cast<std::size_t>(at);
    segments.push_back({{"log_a", r[i]}, {"m", r[i + 1]}, {"n_break", r[i + 2]}});
  }
  j["segments"] = segments;
  Json fixed = Json::array();
  for (int p = 0; p < n_fix && fix - 1 + p >= 0 && fix - 1 + p < static_cast<int>(r.size()); ++p) {
    fixed.push_back(r[static_cast<std::size_t>(fix - 1 + p)]);
  }
  j["fixed_parameters"] = fixed;
  return j;
}

Json run_json(const Run& run) {
  return {{"status", run.status},     {"damage", run.damage},   {"cycles", run.n_cycles},
          {"ts_range", run.ts_range}, {"blocks", run.n_blocks}, {"block_length", run.bloc_len},
          {"hist", run.hist}};
}

std::string verdict(const HotspotSummary& s) {
  return s.pass ? "pass" : "fail";
}

std::string governing_name(const JobView& view, const HotspotSummary& s) {
  return s.governing >= 0 ? view.cases[static_cast<std::size_t>(s.governing)].name : std::string();
}

}  // namespace

std::string shortest(double value) {
  std::string text;
  append_number(text, value);
  return text;
}

Json job_json(const Job& job) {
  Json j;
  j["file"] = job.file_name;
  j["title"] = job.title;
  j["design_life"] = job.design_life;
  j["dff"] = job.dff;
  j["unit"] = job.unit;
  j["force_unit_factor"] = job.force_unit_factor;
  j["blocks"] = job.blocks;
  j["load_cases"] = job.load_case_table;
  j["weight"] = std::string(weight_column(job.weight_kind));
  Json cases = Json::array();
  for (const LoadCase& c : job.load_cases) {
    cases.push_back({{"name", c.name},
                     {"file", c.file},
                     {std::string(weight_column(job.weight_kind)), c.weight},
                     {"first_time", c.first_time},
                     {"last_time", c.last_time}});
  }
  j["load_case_table"] = cases;
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
  j["hotspots"] = hotspots;
  return j;
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
    for (const Json& h : job.at("hotspots")) {
      v.hotspots.push_back({h.at("name").get<std::string>(),
                            h.at("curve").at("label").get<std::string>(), h.at("scf").get<double>(),
                            h.at("thickness").get<double>(), h.at("dff").get<double>()});
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

std::optional<BatchError> write_outputs(const std::filesystem::path& dir, const Json& job,
                                        const JobView& view, const std::vector<CaseResult>& cases,
                                        const std::vector<HotspotSummary>& summaries) {
  if (auto e = make_folder(dir)) return e;
  std::string summary =
      "hotspot,curve,scf,thickness,dff,damage_per_year,life_years,utilisation,verdict,"
      "governing_load_case,governing_share\n";
  std::string damage =
      "hotspot,load_case,file,steps,simulation_length,cycles,damage,weight,damage_per_year,"
      "status\n";
  std::string histograms = "hotspot,load_case,block,range_low,range_high,cycles,cycles_per_year\n";
  Json results = Json::array();
  for (std::size_t h = 0; h < view.hotspots.size(); ++h) {
    const HotspotView& hv = view.hotspots[h];
    const HotspotSummary& s = summaries[h];
    append_row(summary, hv.name, hv.curve, hv.scf, hv.thickness, hv.dff, s.damage_per_year,
               s.life_years, s.utilisation, verdict(s), governing_name(view, s), s.governing_share);
    Json per_case = Json::array();
    for (std::size_t c = 0; c < cases.size(); ++c) {
      const CaseView& cv = view.cases[c];
      const CaseResult& r = cases[c];
      const Run& run = r.runs[h];
      const double weight = yearly_weight(view.weight_kind, cv.weight, r.simulation_length);
      const double per_year = weight * run.damage;
      append_row(damage, hv.name, cv.name, cv.file, static_cast<double>(r.steps),
                 r.simulation_length, run.n_cycles, run.damage, weight, per_year, run.status);
      // The blocks in MPa of the series, as the dialogue's histogram files.
      const double width = run.bloc_len * view.force_unit_factor;
      for (std::size_t k = 0; k < run.hist.size(); ++k) {
        const auto cycles = static_cast<double>(run.hist[k]);
        append_row(histograms, hv.name, cv.name, static_cast<double>(k + 1),
                   static_cast<double>(k) * width, static_cast<double>(k + 1) * width, cycles,
                   cycles * weight);
      }
      per_case.push_back({{"load_case", cv.name},
                          {"steps", r.steps},
                          {"simulation_length", r.simulation_length},
                          {"cycles", run.n_cycles},
                          {"damage", run.damage},
                          {"weight", weight},
                          {"damage_per_year", per_year},
                          {"status", run.status}});
    }
    results.push_back(
        {{"hotspot", hv.name},
         {"damage_per_year", s.damage_per_year},
         {"life_years", s.life_years},
         {"utilisation", s.utilisation},
         {"verdict", verdict(s)},
         {"governing_load_case", s.governing >= 0 ? Json(governing_name(view, s)) : Json()},
         {"governing_share", s.governing_share},
         {"load_cases", per_case}});
  }
  Json all = {{"program", "skaldur-batch"},
              {"version", SKALDUR_VERSION},
              {"job", job},
              {"results", results}};
  if (auto e = write_file(dir / "summary.csv", summary)) return e;
  if (auto e = write_file(dir / "damage.csv", damage)) return e;
  if (auto e = write_file(dir / "histograms.csv", histograms)) return e;
  return write_file(dir / "summary.json", all.dump(2) + "\n");
}

void write_console_table(std::ostream& out, const JobView& view,
                         const std::vector<HotspotSummary>& summaries,
                         const std::filesystem::path& dir) {
  std::vector<std::size_t> order(summaries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return summaries[a].utilisation > summaries[b].utilisation;
  });
  std::size_t width = 7;
  for (const HotspotView& h : view.hotspots)
    width = std::max(width, h.name.size());
  // Fixed point for the figures a reader compares at a glance; a life or a
  // utilisation of ten million and more (a hotspot the load hardly touches,
  // or one far beyond its curve) in scientific notation, so that the column
  // stays readable.
  const auto fixed = [](double value, int decimals) {
    std::array<char, 400> buffer{};
    const bool large = std::abs(value) >= 1.0e7;
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                 large ? std::chars_format::scientific : std::chars_format::fixed,
                                 large ? 3 : decimals);
    return std::string(buffer.data(), r.ptr);
  };
  const auto pad = [](std::string text, std::size_t w, bool left) {
    if (text.size() >= w) return text;
    return left ? text + std::string(w - text.size(), ' ')
                : std::string(w - text.size(), ' ') + text;
  };
  std::string text;
  if (!view.title.empty()) text += view.title + "\n";
  text +=
      pad("hotspot", width, true) + "  utilisation  verdict  life [years]  governing load case\n";
  for (const std::size_t h : order) {
    const HotspotSummary& s = summaries[h];
    text += pad(view.hotspots[h].name, width, true) + "  " +
            pad(fixed(s.utilisation, 4), 11, false) + "  " +
            pad(s.pass ? "pass" : "FAIL", 7, true) + "  " +
            pad(std::isinf(s.life_years) ? "inf" : fixed(s.life_years, 1), 12, false) + "  " +
            (s.governing >= 0
                 ? governing_name(view, s) + " (" + fixed(100.0 * s.governing_share, 1) + " %)"
                 : std::string("-")) +
            "\n";
  }
  text += "results in " + dir.string() + "\n";
  out << text;
}

std::vector<std::string> run_warnings(const JobView& view, const std::vector<CaseResult>& cases) {
  std::vector<std::string> warnings;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    for (std::size_t h = 0; h < cases[c].runs.size(); ++h) {
      if (cases[c].runs[h].status != "ok") {
        warnings.push_back(
            "load case '" + view.cases[c].name + "', hotspot '" + view.hotspots[h].name +
            "': " + view.cases[c].file +
            " is too short to count cycles (fewer than 4 turning points); its damage counts as 0");
      }
    }
  }
  return warnings;
}

std::optional<BatchError> write_shard(const std::filesystem::path& dir, int k, int n,
                                      const Json& job, const std::vector<CaseResult>& cases) {
  if (auto e = make_folder(dir)) return e;
  Json list = Json::array();
  for (std::size_t c = 0; c < cases.size(); ++c) {
    if (!cases[c].done) continue;
    Json runs = Json::array();
    for (const Run& run : cases[c].runs)
      runs.push_back(run_json(run));
    list.push_back({{"index", c},
                    {"steps", cases[c].steps},
                    {"simulation_length", cases[c].simulation_length},
                    {"runs", runs}});
  }
  const Json all = {
      {"format", kShardFormat}, {"version", SKALDUR_VERSION}, {"shard", k}, {"of", n}, {"job", job},
      {"load_cases", list}};
  return write_file(dir / kShardFile, all.dump() + "\n");
}

Outcome<Merged> read_shards(const std::vector<std::filesystem::path>& dirs) {
  Merged merged;
  int of = 0;
  std::vector<int> seen;
  for (const std::filesystem::path& dir : dirs) {
    const std::filesystem::path path = dir / kShardFile;
    const std::string shown = path.string();
    std::ifstream in(path, std::ios::binary);
    if (!in) return bad_input("cannot open " + shown + ": " + std::strerror(errno));
    Json all;
    try {
      all = Json::parse(in);
      if (all.at("format") != kShardFormat) return bad_input(shown + ": not a skaldur-batch shard");
      const int k = all.at("shard").get<int>();
      const int n = all.at("of").get<int>();
      if (merged.job.is_null()) {
        merged.job = all.at("job");
        of = n;
        const auto count = merged.job.at("load_case_table").size();
        const auto hotspots = merged.job.at("hotspots").size();
        merged.cases.assign(count, CaseResult{});
        for (CaseResult& c : merged.cases)
          c.runs.resize(hotspots);
      } else if (all.at("job") != merged.job) {
        return bad_input(shown + ": the shard comes from another job than " +
                         (dirs.front() / kShardFile).string());
      } else if (n != of) {
        return bad_input(shown + ": shard " + std::to_string(k) + " of " + std::to_string(n) +
                         ", the others are of " + std::to_string(of));
      }
      if (std::find(seen.begin(), seen.end(), k) != seen.end()) {
        return bad_input(shown + ": shard " + std::to_string(k) + " is given twice");
      }
      seen.push_back(k);
      for (const Json& c : all.at("load_cases")) {
        const auto index = c.at("index").get<std::size_t>();
        if (index >= merged.cases.size() || merged.cases[index].done) {
          return bad_input(shown + ": load case " + std::to_string(index + 1) + " is out of place");
        }
        CaseResult& r = merged.cases[index];
        r.done = true;
        r.steps = c.at("steps").get<std::int64_t>();
        r.simulation_length = c.at("simulation_length").get<double>();
        const Json& runs = c.at("runs");
        if (runs.size() != r.runs.size()) return bad_input(shown + ": a load case lacks hotspots");
        for (std::size_t h = 0; h < r.runs.size(); ++h) {
          const Json& j = runs[h];
          Run& run = r.runs[h];
          run.status = j.at("status").get<std::string>();
          run.damage = j.at("damage").get<double>();
          run.n_cycles = j.at("cycles").get<double>();
          run.ts_range = j.at("ts_range").get<double>();
          run.n_blocks = j.at("blocks").get<double>();
          run.bloc_len = j.at("block_length").get<double>();
          run.hist = j.at("hist").get<std::vector<float>>();
        }
      }
    } catch (const nlohmann::json::exception& e) {
      return bad_input(shown + ": " + e.what());
    }
  }
  for (std::size_t c = 0; c < merged.cases.size(); ++c) {
    if (!merged.cases[c].done) {
      return bad_input("no shard holds load case " + std::to_string(c + 1) + " ('" +
                       merged.job.at("load_case_table")[c].at("name").get<std::string>() + "'); " +
                       std::to_string(seen.size()) + " of " + std::to_string(of) + " shards given");
    }
  }
  return merged;
}

}  // namespace skaldur::batch
