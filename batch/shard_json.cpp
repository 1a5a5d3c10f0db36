#include "batch/shard_json.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "batch/input_files.hpp"
#include "batch/outputs.hpp"
#include "textio/fingerprint.hpp"

// shard.json, with each part's writer beside its reader:
//
//   {"format", "version", "shard": K, "of": N, "job",
//    "inputs": [{"file", "fingerprint"}, ...], "records": [fingerprint, ...],
//    "load_cases": [{"index", "steps", "simulation_length",
//                    "runs": [{"status", "damage", "cycles", "ts_range",
//                              "blocks", "block_length",
//                              "hist": [[BLOCK, CYCLES], ...],
//                              "matrix": [[FIRST, SECOND, CYCLES], ...],
//                              "del": [SUM, ...]}, ...]}, ...]}
//
// with the histogram's blocks that hold cycles only (BLOCK from 0), the
// matrix's cells that hold cycles by first bin then second bin, and the DEL
// sums in the order of the job's exponents ("inf" for one beyond the
// doubles); both lists are empty when the job asks for no matrix and no
// DEL. Format 2 had no matrix and no DEL sums; format 1 held every block,
// and no status but ok and too_short.
//
// The readers throw nlohmann::json::exception for a missing key or a value
// of the wrong type; read_shards turns that into a message.
namespace skaldur::batch {
namespace {

constexpr std::string_view kShardFormat = "skaldur-batch shard 3";
constexpr std::array<std::string_view, 2> kOlderFormats = {"skaldur-batch shard 1",
                                                           "skaldur-batch shard 2"};
constexpr std::size_t kMostShardBytes = std::size_t{1} << 30;

// The DEL sums: numbers, but "inf" for a sum beyond the doubles (S^m of a
// large m) and "nan" for one that is not a number, which JSON numbers
// cannot hold.
Json sums_json(const std::vector<double>& sums) {
  Json list = Json::array();
  for (const double sum : sums)
    list.push_back(std::isfinite(sum) ? Json(sum) : Json(sum > 0.0 ? "inf" : "nan"));
  return list;
}

std::optional<std::string> read_sums(const Json& list, Run& run) {
  for (const Json& sum : list) {
    if (!sum.is_string()) {
      run.del_sums.push_back(sum.get<double>());
    } else if (sum == "inf" || sum == "nan") {
      run.del_sums.push_back(sum == "inf" ? std::numeric_limits<double>::infinity()
                                          : std::numeric_limits<double>::quiet_NaN());
    } else {
      return std::string("a DEL sum is not a number");
    }
  }
  return std::nullopt;
}

Json run_json(const Run& run) {
  Json hist = Json::array();
  for (const BlockCount& b : run.hist)
    hist.push_back({b.block, b.cycles});
  Json matrix = Json::array();
  for (const cycles::MatrixCell& cell : run.matrix)
    matrix.push_back({cell.first, cell.second, cell.cycles});
  return {{"status", status_name(run.status)},
          {"damage", run.damage},
          {"cycles", run.n_cycles},
          {"ts_range", run.ts_range},
          {"blocks", run.n_blocks},
          {"block_length", run.bloc_len},
          {"hist", hist},
          {"matrix", matrix},
          {"del", sums_json(run.del_sums)}};
}

// The matrix's cells into `run`: each holds cycles, and they come by first
// bin then second bin, each cell once.
std::optional<std::string> read_matrix(const Json& cells, Run& run) {
  for (const Json& c : cells) {
    const cycles::MatrixCell cell{c.at(0).get<std::int64_t>(), c.at(1).get<std::int64_t>(),
                                  c.at(2).get<double>()};
    const bool after =
        run.matrix.empty() || run.matrix.back().first < cell.first ||
        (run.matrix.back().first == cell.first && run.matrix.back().second < cell.second);
    if (c.size() != 3 || !(cell.cycles > 0.0) || !after)
      return std::string("a matrix cell is out of place");
    run.matrix.push_back(cell);
  }
  return std::nullopt;
}

// The run, or a message saying what is wrong with it.
textio::Result<Run, std::string> read_run(const Json& j) {
  Run run;
  const auto status = status_of(j.at("status").get<std::string>());
  if (!status) return textio::fail(std::string("a run has an unknown status"));
  run.status = *status;
  run.damage = j.at("damage").get<double>();
  run.n_cycles = j.at("cycles").get<double>();
  run.ts_range = j.at("ts_range").get<double>();
  run.n_blocks = j.at("blocks").get<double>();
  run.bloc_len = j.at("block_length").get<double>();
  for (const Json& b : j.at("hist")) {
    const BlockCount block{b.at(0).get<std::int32_t>(), b.at(1).get<float>()};
    if (block.block < 0 || block.block >= run.n_blocks || !(block.cycles > 0.0f) ||
        (!run.hist.empty() && block.block <= run.hist.back().block)) {
      return textio::fail(std::string("a histogram block is out of place"));
    }
    run.hist.push_back(block);
  }
  if (auto e = read_matrix(j.at("matrix"), run)) return textio::fail(*e);
  if (auto e = read_sums(j.at("del"), run)) return textio::fail(*e);
  return run;
}

Json case_json(std::size_t index, const CaseResult& r) {
  Json runs = Json::array();
  for (const Run& run : r.runs)
    runs.push_back(run_json(run));
  return {{"index", index},
          {"steps", r.steps},
          {"simulation_length", r.simulation_length},
          {"runs", runs}};
}

// Reads the shard's load cases into `cases`, each in its place once; a
// message saying what is wrong otherwise.
std::optional<std::string> read_cases(const Json& all, const std::string& shown,
                                      std::vector<CaseResult>& cases) {
  for (const Json& c : all.at("load_cases")) {
    const auto index = c.at("index").get<std::size_t>();
    if (index >= cases.size() || cases[index].done)
      return shown + ": load case " + std::to_string(index + 1) + " is out of place";
    CaseResult& r = cases[index];
    r.done = true;
    r.steps = c.at("steps").get<std::int64_t>();
    r.simulation_length = c.at("simulation_length").get<double>();
    const Json& runs = c.at("runs");
    if (runs.size() != r.runs.size()) return shown + ": a load case lacks hotspots";
    for (std::size_t h = 0; h < r.runs.size(); ++h) {
      auto run = read_run(runs[h]);
      if (!run) return shown + ": load case " + std::to_string(index + 1) + ": " + run.error();
      r.runs[h] = std::move(run).value();
    }
  }
  return std::nullopt;
}

Json inputs_json(const std::vector<InputFile>& files) {
  Json list = Json::array();
  for (const InputFile& f : files)
    list.push_back({{"file", f.shown}, {"fingerprint", textio::fingerprint_hex(f.fingerprint)}});
  return list;
}

Json records_json(const std::vector<std::uint64_t>& records) {
  Json list = Json::array();
  for (const std::uint64_t r : records)
    list.push_back(textio::fingerprint_hex(r));
  return list;
}

struct Reading {
  Merged merged;
  int of = 0;             // N of the first shard
  std::vector<int> seen;  // the K read so far
  Json inputs;            // of the first shard
  Json records;
};

// Checks that the shard was computed from the same files as the first one:
// the same fingerprint for each input and for each load case's record. The
// job being the same, the lists name the same files in the same order.
std::optional<std::string> same_inputs(const Json& all, const std::string& shown,
                                       const std::string& first, Reading& reading) {
  const Json& inputs = all.at("inputs");
  const Json& records = all.at("records");
  if (reading.inputs.is_null()) {
    reading.inputs = inputs;
    reading.records = records;
  }
  const Json& table = reading.merged.job.at("load_case_table");
  if (inputs.size() != reading.inputs.size() || records.size() != table.size() ||
      reading.records.size() != table.size()) {
    return shown + ": the shard lists other inputs than " + first;
  }
  const auto differs = [&](const std::string& file) {
    return shown + ": " + file + " is not the file " + first +
           " was computed from (its fingerprint differs): the shards come from different inputs";
  };
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (inputs[i].at("fingerprint") != reading.inputs[i].at("fingerprint"))
      return differs(inputs[i].at("file").get<std::string>());
  }
  for (std::size_t c = 0; c < records.size(); ++c) {
    if (records[c] != reading.records[c]) return differs(table[c].at("file").get<std::string>());
  }
  return std::nullopt;
}

// Checks the shard's header against the shards read before: one job, one N,
// each K once. The first shard sets the job and sizes the cases.
std::optional<std::string> read_header(const Json& all, const std::string& shown,
                                       const std::string& first, Reading& reading) {
  if (std::find(kOlderFormats.begin(), kOlderFormats.end(), all.at("format")) !=
      kOlderFormats.end()) {
    return shown + ": a shard of an older skaldur-batch, which this one cannot merge; run the " +
           "shard again";
  }
  if (all.at("format") != kShardFormat) return shown + ": not a skaldur-batch shard";
  const int k = all.at("shard").get<int>();
  const int n = all.at("of").get<int>();
  Merged& merged = reading.merged;
  if (merged.job.is_null()) {
    merged.job = all.at("job");
    reading.of = n;
    const auto count = merged.job.at("load_case_table").size();
    const auto hotspots = merged.job.at("hotspots").size();
    merged.cases.assign(count, CaseResult{});
    for (CaseResult& c : merged.cases)
      c.runs.resize(hotspots);
  } else if (all.at("job") != merged.job) {
    return shown + ": the shard comes from another job than " + first;
  } else if (n != reading.of) {
    return shown + ": shard " + std::to_string(k) + " of " + std::to_string(n) +
           ", the others are of " + std::to_string(reading.of);
  }
  if (std::find(reading.seen.begin(), reading.seen.end(), k) != reading.seen.end())
    return shown + ": shard " + std::to_string(k) + " is given twice";
  reading.seen.push_back(k);
  return std::nullopt;
}

}  // namespace

std::optional<BatchError> write_shard(const std::filesystem::path& dir, int k, int n,
                                      const Json& job, const ShardInputs& inputs,
                                      const std::vector<CaseResult>& cases) {
  if (auto e = make_folder(dir)) return e;
  Json list = Json::array();
  for (std::size_t c = 0; c < cases.size(); ++c) {
    if (cases[c].done) list.push_back(case_json(c, cases[c]));
  }
  const Json all = {{"format", kShardFormat},
                    {"version", SKALDUR_VERSION},
                    {"shard", k},
                    {"of", n},
                    {"job", job},
                    {"inputs", inputs_json(inputs.files)},
                    {"records", records_json(inputs.records)},
                    {"load_cases", list}};
  return write_output(dir / kShardFile, json_text(all, -1) + "\n");
}

Outcome<Merged> read_shards(const std::vector<std::filesystem::path>& dirs) {
  Reading reading;
  for (const std::filesystem::path& dir : dirs) {
    const std::string shown = (dir / kShardFile).string();
    // A shard folder's file is read like every input: a regular file, whole,
    // up to a bound far above what a shard of a large job holds.
    auto text = read_input(dir / kShardFile, shown, kMostShardBytes);
    if (!text) return textio::fail(text.error());
    try {
      const Json all = Json::parse(text->bytes);
      const std::string first = (dirs.front() / kShardFile).string();
      if (auto e = read_header(all, shown, first, reading)) return bad_input(*e);
      if (auto e = same_inputs(all, shown, first, reading)) return bad_input(*e);
      if (auto e = read_cases(all, shown, reading.merged.cases)) return bad_input(*e);
    } catch (const nlohmann::json::exception& e) {
      return bad_input(shown + ": " + e.what());
    }
  }
  const Merged& merged = reading.merged;
  for (std::size_t c = 0; c < merged.cases.size(); ++c) {
    if (!merged.cases[c].done) {
      return bad_input("no shard holds load case " + std::to_string(c + 1) + " ('" +
                       merged.job.at("load_case_table")[c].at("name").get<std::string>() + "'); " +
                       std::to_string(reading.seen.size()) + " of " + std::to_string(reading.of) +
                       " shards given");
    }
  }
  return std::move(reading.merged);
}

}  // namespace skaldur::batch
